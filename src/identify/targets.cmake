# The identification engine: kinds, signatures, classifier, version resources.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_identify STATIC
  ${dir}/kinds.cpp ${dir}/classifier.cpp ${dir}/name_search.cpp ${dir}/pe_version.cpp
  ${dir}/version_refiner.cpp)
if(WIN32)
  target_sources(miwake_identify PRIVATE ${dir}/version_info_win32.cpp)
  target_link_libraries(miwake_identify PUBLIC version)
else()
  target_sources(miwake_identify PRIVATE ${dir}/version_info_posix.cpp)
endif()
target_link_libraries(miwake_identify PUBLIC miwake_common)
