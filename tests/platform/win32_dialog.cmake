# Dialog templates in the Windows dialog manager's layout, checked byte for byte on every system.
codepanel_test(win32_dialog_template_test win32_dialog_template_test.cpp)
target_link_libraries(win32_dialog_template_test PRIVATE codepanel_win32_dialog_template)
