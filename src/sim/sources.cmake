# Sources of the simulated rack, compiled into velmira_core.
set(VELMIRA_SIM_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/sim_rack.cpp
)
