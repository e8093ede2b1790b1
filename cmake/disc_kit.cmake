# What the authoring kit needs to link a disc's SETUP.EXE without CMake: the
# launcher's objects (built once, by the launcher_code and product_startup
# targets), the resource compiler, the linker and its options, and the
# waiter and stand-in programs it puts on the disc. scripts/make-disc reads
# <build>/disc-kit/programs.txt, one key=value a line, lists split at ';'.
separate_arguments(DISC_KIT_LINK_FLAGS UNIX_COMMAND "${CMAKE_CXX_FLAGS_RELEASE} -mwindows")
# CMake links every program with an image version; the kit does the same, so
# a disc made from the shipped resource set is SETUP.EXE byte for byte.
list(APPEND DISC_KIT_LINK_FLAGS ${PRODUCT_LINK_OPTIONS}
    -Wl,--major-image-version,0,--minor-image-version,0)
list(TRANSFORM PRODUCT_SYSTEM_LIBRARIES PREPEND -l OUTPUT_VARIABLE DISC_KIT_LIBRARIES)
separate_arguments(DISC_KIT_STANDARD UNIX_COMMAND "${CMAKE_CXX_STANDARD_LIBRARIES}")
list(APPEND DISC_KIT_LIBRARIES ${DISC_KIT_STANDARD})

set(DISC_KIT_STANDIN "")
set(DISC_KIT_STANDIN_TARGET "")
if(TARGET standin_installer)
    set(DISC_KIT_STANDIN "$<TARGET_FILE:standin_installer>")
    set(DISC_KIT_STANDIN_TARGET standin_installer)
endif()

file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/disc-kit/programs.txt CONTENT
"windres=${CMAKE_RC_COMPILER}
cxx=${CMAKE_CXX_COMPILER}
link_flags=${DISC_KIT_LINK_FLAGS}
objects=$<TARGET_OBJECTS:launcher_code>;$<TARGET_OBJECTS:product_startup>
libraries=${DISC_KIT_LIBRARIES}
waiter=$<TARGET_FILE:Tarrywin>
standin=${DISC_KIT_STANDIN}
")

# add_disc(NAME <name> MANIFEST <disc.toml> [OUTPUT <folder>]): a target that
# builds the disc with scripts/make-disc into <folder> (default
# <build>/discs/<name>): SETUP.EXE, disc/, disc.iso and walkthrough.json.
function(add_disc)
    cmake_parse_arguments(D "" "NAME;MANIFEST;OUTPUT" "" ${ARGN})
    if(NOT D_OUTPUT)
        set(D_OUTPUT ${PROJECT_BINARY_DIR}/discs/${D_NAME})
    endif()
    get_filename_component(folder ${D_MANIFEST} DIRECTORY)
    file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${folder}/*)
    file(GLOB kit CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/authoring/*.py)
    add_custom_command(OUTPUT ${D_OUTPUT}/disc.iso ${D_OUTPUT}/disc/SETUP.EXE
        COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/scripts/make-disc ${D_MANIFEST}
            --build-dir ${D_OUTPUT} --programs ${PROJECT_BINARY_DIR}/disc-kit/programs.txt
        DEPENDS launcher_code product_startup Tarrywin ${DISC_KIT_STANDIN_TARGET}
            ${inputs} ${kit} ${PROJECT_SOURCE_DIR}/scripts/make-disc
        COMMENT "Building the disc ${D_NAME} from its manifest"
        VERBATIM)
    add_custom_target(disc_${D_NAME} ALL DEPENDS ${D_OUTPUT}/disc.iso)
endfunction()
