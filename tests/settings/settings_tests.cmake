# The settings file's logic, natively and under Wine; main_form_tests take it
# through the real private-profile functions.
add_executable(settings_tests settings/settings_number_test.cpp settings/settings_steps_test.cpp)
target_include_directories(settings_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(settings_tests PRIVATE miwake_settings GTest::gtest_main)
if(WIN32)
  add_test(NAME settings_tests COMMAND settings_tests)
else()
  gtest_discover_tests(settings_tests)
endif()
