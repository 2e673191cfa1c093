# The settings file: its logic natively and under Wine, and under Wine also
# over the real private-profile functions in a scratch folder.
add_executable(settings_tests
  settings/settings_number_test.cpp
  settings/settings_steps_test.cpp)
target_include_directories(settings_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(settings_tests PRIVATE miwake_settings GTest::gtest_main)
if(WIN32)
  target_sources(settings_tests PRIVATE
    settings/settings_win32_test.cpp
    support/scratch_folder_win32.cpp)
  add_test(NAME settings_tests COMMAND settings_tests)
else()
  gtest_discover_tests(settings_tests)
endif()
