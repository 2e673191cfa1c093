# The types of the shared MIME-info database, the classic kinds' types in
# its vocabulary, and whether a file's name lies about its content.
set(dir "${CMAKE_CURRENT_LIST_DIR}")
add_library(miwake_types STATIC ${dir}/mime_database.cpp ${dir}/mime_magic.cpp ${dir}/name_claim.cpp
  ${dir}/content_type.cpp)
target_link_libraries(miwake_types PUBLIC miwake_identify)
