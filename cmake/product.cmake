# How the shipped programs are built: i486 code, no C runtime, imports that
# Windows 95 has, subsystem version 4.0.

# The code is optimised for size across files at link time (-flto): calls
# between files are inlined or shared like calls within one, which keeps
# SETUP.EXE well inside its 16 KB of code and data. The link repeats the
# options that shape the code.
set(PRODUCT_CODE_OPTIONS
    -Os -march=i486 -fno-exceptions -fno-asynchronous-unwind-tables -fno-stack-protector
    -fno-tree-loop-distribute-patterns -flto)

set(PRODUCT_COMPILE_OPTIONS
    ${PRODUCT_CODE_OPTIONS} -fno-rtti -fno-threadsafe-statics -ffunction-sections
    -fdata-sections -Wall -Wextra)

set(PRODUCT_LINK_OPTIONS
    ${PRODUCT_CODE_OPTIONS}
    -nostdlib -nostartfiles -Wl,-e,_WinMainCRTStartup -Wl,--gc-sections
    -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0
    -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
    -Wl,--disable-dynamicbase,--disable-nxcompat,--disable-reloc-section -Wl,--no-insert-timestamp -s)

set(PRODUCT_SYSTEM_LIBRARIES kernel32 user32 gdi32 shell32 advapi32 gcc)

# The CRT-free start-up, compiled once with the product flags.
add_library(product_startup OBJECT
    ${PROJECT_SOURCE_DIR}/startup/entry.cpp
    ${PROJECT_SOURCE_DIR}/startup/dll_search.cpp
    ${PROJECT_SOURCE_DIR}/startup/exit_handlers.cpp
    ${PROJECT_SOURCE_DIR}/startup/runtime_support.cpp)
target_compile_options(product_startup PRIVATE ${PRODUCT_COMPILE_OPTIONS})
# With sections of their own, zero-filled variables land in .data and take
# room in the file; without, the exit handler list stays in .bss, and a
# program with no other writable data has no .data section at all. Aligned
# as the ABI asks, not to 32 bytes as large arrays are by default.
set_source_files_properties(${PROJECT_SOURCE_DIR}/startup/exit_handlers.cpp
    PROPERTIES COMPILE_OPTIONS "-fno-data-sections;-malign-data=abi")

# add_product(<target> OUTPUT <file name> SOURCES ...): one shipped program.
function(add_product target)
    cmake_parse_arguments(P "" "OUTPUT" "SOURCES" ${ARGN})
    add_executable(${target} WIN32 ${P_SOURCES} $<TARGET_OBJECTS:product_startup>)
    target_compile_options(${target} PRIVATE
        $<$<COMPILE_LANGUAGE:CXX>:${PRODUCT_COMPILE_OPTIONS}>)
    target_link_options(${target} PRIVATE ${PRODUCT_LINK_OPTIONS})
    target_link_libraries(${target} PRIVATE ${PRODUCT_SYSTEM_LIBRARIES})
    string(REGEX MATCH "^[^.]*" base "${P_OUTPUT}")
    string(REGEX MATCH "\\.[^.]*$" suffix "${P_OUTPUT}")
    set_target_properties(${target} PROPERTIES OUTPUT_NAME "${base}" SUFFIX "${suffix}"
        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endfunction()

# The Windows form of a path on this machine, as Wine's Z: drive shows it.
function(wine_path out path)
    string(REPLACE "/" "\\" windows "Z:${path}")
    set(${out} "${windows}" PARENT_SCOPE)
endfunction()
