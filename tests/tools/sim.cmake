codepanel_test(scanner_model_test scanner_model_test.cpp)
target_link_libraries(scanner_model_test PRIVATE codepanel_sim_model)

# The simulator's command line, and the simulator end to end on its pseudo-terminal.
codepanel_test(sim_cli_test sim_options_test.cpp sim_e2e_test.cpp)
target_link_libraries(sim_cli_test PRIVATE codepanel_sim_model tools_test_children)
