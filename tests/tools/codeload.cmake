# The loader end to end against the simulator, both run from their build paths; and its record in
# the system journal, read back with journalctl.
codepanel_test(codeload_e2e_test codeload_e2e_test.cpp codeload_journal_test.cpp)
target_link_libraries(codeload_e2e_test PRIVATE codeload_parts tools_test_children
                      codepanel_test_support)
add_dependencies(codeload_e2e_test codeload scanner-sim)
target_compile_definitions(codeload_e2e_test PRIVATE
  CODELOAD_BINARY="$<TARGET_FILE:codeload>"
  SCANNER_SIM_BINARY="$<TARGET_FILE:scanner-sim>"
)
