# The settings file: private-profile reads and edits on a real temporary folder.
codepanel_test(profile_file_test ${CMAKE_CURRENT_LIST_DIR}/profile_file_test.cpp)
target_link_libraries(profile_file_test PRIVATE codepanel_platform)

# Replacing a file as a whole: permission bits, links, failures, the hook and a crash before the
# rename.
codepanel_test(atomic_file_test ${CMAKE_CURRENT_LIST_DIR}/atomic_file_test.cpp)
target_link_libraries(atomic_file_test PRIVATE codepanel_platform)

# Files saved with a byte-order mark: UTF-16LE and UTF-8, read and written in their own encoding.
codepanel_test(profile_encoding_test ${CMAKE_CURRENT_LIST_DIR}/profile_encoding_test.cpp)
target_link_libraries(profile_encoding_test PRIVATE codepanel_platform)
