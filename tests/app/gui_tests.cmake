# The real main window and the real program, under Wine.
if(WIN32)
  # The window's menu and icons come from the program's own resources.
  set_source_files_properties(${MIWAKE_RC_OBJECT} PROPERTIES GENERATED TRUE EXTERNAL_OBJECT TRUE)
  add_executable(main_form_tests app/main_form_test.cpp support/pe_builder.cpp
    support/scratch_folder_win32.cpp ${MIWAKE_RC_OBJECT})
  add_dependencies(main_form_tests miwake_resources)
  target_include_directories(main_form_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(main_form_tests PRIVATE miwake_gui GTest::gtest_main)
  add_test(NAME main_form_tests COMMAND main_form_tests)

  add_executable(fmiwaker_smoke_tests app/fmiwaker_smoke_test.cpp support/scratch_folder_win32.cpp)
  add_dependencies(fmiwaker_smoke_tests fmiwaker)
  target_include_directories(fmiwaker_smoke_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(fmiwaker_smoke_tests PRIVATE MIWAKE_FMIWAKER_EXE="$<TARGET_FILE:fmiwaker>")
  target_link_libraries(fmiwaker_smoke_tests PRIVATE miwake_common version shell32 GTest::gtest_main)
  add_test(NAME fmiwaker_smoke_tests COMMAND fmiwaker_smoke_tests)
endif()
