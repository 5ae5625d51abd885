# The main panel's dialog template and the artwork files it shows, checked as data.
codepanel_test(panel_template_test ${CMAKE_CURRENT_LIST_DIR}/panel_template_test.cpp)
target_link_libraries(panel_template_test PRIVATE codepanel_res)
target_compile_definitions(panel_template_test
                           PRIVATE CODEPANEL_RES_DIR="${PROJECT_SOURCE_DIR}/res")
