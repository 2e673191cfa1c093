# Text helpers, error texts and the small interfaces to the system.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_common STATIC ${dir}/text.cpp ${dir}/io_error_text.cpp)
if(WIN32)
  target_sources(miwake_common PRIVATE
    ${dir}/file_system_win32.cpp ${dir}/message_box_win32.cpp ${dir}/encoding_win32.cpp)
else()
  target_sources(miwake_common PRIVATE ${dir}/file_system_posix.cpp ${dir}/encoding_posix.cpp)
endif()
target_link_libraries(miwake_common PUBLIC miwake_options)
# The version, generated from the project's, as common/version.h.
configure_file(${dir}/version.h.in "${PROJECT_BINARY_DIR}/generated/common/version.h" @ONLY)
target_include_directories(miwake_common PUBLIC "${PROJECT_BINARY_DIR}/generated")
