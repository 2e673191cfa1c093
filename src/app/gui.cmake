# FMIWAKER.EXE, the main window program (Windows build only).
if(WIN32)
  # The directory's compile options are the C++ compiler's; windres is run
  # by hand so that none of them reach it.
  set(miwake_rc_object ${CMAKE_CURRENT_BINARY_DIR}/fmiwaker_rc.o)
  add_custom_command(
    OUTPUT ${miwake_rc_object}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${CMAKE_CURRENT_SOURCE_DIR}/app
            ${CMAKE_CURRENT_SOURCE_DIR}/app/fmiwaker.rc ${miwake_rc_object}
    DEPENDS app/fmiwaker.rc app/resource_ids.h app/icons/fmiwaker.ico app/icons/form.ico
    COMMENT "Compiling the resources of FMIWAKER.EXE")
  add_custom_target(miwake_resources DEPENDS ${miwake_rc_object})
  set(MIWAKE_RC_OBJECT ${miwake_rc_object} CACHE INTERNAL "The resources, for the window tests")

  add_library(miwake_gui STATIC app/main_form.cpp)
  target_link_libraries(miwake_gui PUBLIC miwake_actions miwake_settings
                        comctl32 comdlg32 shell32 ole32 gdi32)

  add_executable(fmiwaker WIN32 app/win_main.cpp ${miwake_rc_object})
  set_target_properties(fmiwaker PROPERTIES OUTPUT_NAME FMIWAKER SUFFIX .EXE)
  target_link_libraries(fmiwaker PRIVATE miwake_gui)
endif()
