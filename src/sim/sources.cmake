# Sources of the simulated rack, compiled into velmira_core.
set(VELMIRA_SIM_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/rack_description.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rack_file_shape.cpp
    ${CMAKE_CURRENT_LIST_DIR}/axis_model.cpp
    ${CMAKE_CURRENT_LIST_DIR}/home_search.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interpolator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sim_clock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sim_module.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sim_rack.cpp
    ${CMAKE_CURRENT_LIST_DIR}/speed_ramp.cpp
)
