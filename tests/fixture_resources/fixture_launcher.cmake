# The tests' own resource set (launcher_fixture.rc) and a SETUP.EXE built
# from it: the launcher's code, the same objects SETUP.EXE links, with these
# resources instead of a disc's.
set(FIXTURE_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(FIXTURE_RESOURCES_RC ${FIXTURE_RESOURCES_DIR}/launcher_fixture.rc)
file(GLOB FIXTURE_RESOURCE_INPUTS CONFIGURE_DEPENDS
    ${FIXTURE_RESOURCES_DIR}/*.rc ${FIXTURE_RESOURCES_DIR}/*.h ${FIXTURE_RESOURCES_DIR}/*.bmp
    ${FIXTURE_RESOURCES_DIR}/*.bin)

# link_fixture_resources(<target>): the target carries the resource set and
# sees fixture_ids.h; a change to any of the set's files rebuilds it.
function(link_fixture_resources target)
    target_sources(${target} PRIVATE ${FIXTURE_RESOURCES_RC})
    target_include_directories(${target} PRIVATE ${FIXTURE_RESOURCES_DIR})
    set_source_files_properties(${FIXTURE_RESOURCES_RC} TARGET_DIRECTORY ${target} PROPERTIES
        OBJECT_DEPENDS "${FIXTURE_RESOURCE_INPUTS}")
endfunction()

get_target_property(launcher_dir launcher SOURCE_DIR)
# add_product brings the start-up objects.
add_product(fixture_launcher OUTPUT SETUP.EXE SOURCES $<TARGET_OBJECTS:launcher_code>)
link_fixture_resources(fixture_launcher)
target_include_directories(fixture_launcher PRIVATE ${launcher_dir} ${PROJECT_SOURCE_DIR})
set_target_properties(fixture_launcher PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests/fixture_launcher)
wine_path(FIXTURE_SETUP_EXE_WINE ${PROJECT_BINARY_DIR}/tests/fixture_launcher/SETUP.EXE)
