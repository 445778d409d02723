# Tests of the simulated rack: core only, no widgets.
add_executable(sim_tests
    ${CMAKE_CURRENT_LIST_DIR}/homing_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpolation_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/motion_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rack_file_test.cpp
)
target_include_directories(sim_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
# The source path itself: __FILE__ is relative in builds with -ffile-prefix-map.
target_compile_definitions(sim_tests PRIVATE
    VELMIRA_EXAMPLE_RACK="${PROJECT_SOURCE_DIR}/docs/example-rack.toml")
target_link_libraries(sim_tests PRIVATE velmira_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(sim_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS core)
