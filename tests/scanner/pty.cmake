# CSerialPort over the termios backend and a pseudo-terminal; included from CMakeLists.txt here.
codepanel_test(serial_port_pty_test ${CMAKE_CURRENT_LIST_DIR}/serial_port_pty_test.cpp)
target_link_libraries(serial_port_pty_test
  PRIVATE codepanel_scanner codepanel_platform codepanel_test_support)
