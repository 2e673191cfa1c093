# The Debian package of the command-line tool, miwake_<version>_amd64.deb:
# /usr/bin/miwake, its manual page made by help2man from its own --help and
# --version, the copyright in Debian's machine-readable form, a changelog.
# Only for the native build; the Windows build makes its zip in this folder's
# CMakeLists.txt.

set(deb_version "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(deb_dir "${CMAKE_BINARY_DIR}/debian")
# The same date in every generated file, so that the package's bytes depend
# only on the sources: that of the zip's entries.
set(deb_epoch 315532800)
# The linker's build ID hashes the debug sections, which name the folders:
# without these, another checkout or build folder would give other bytes.
# The build folder comes last, as the later map wins where both match.
target_compile_options(miwake_options INTERFACE
  "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=.")

foreach(tool help2man gzip perl)
  find_program(deb_${tool} ${tool})
  if(NOT deb_${tool})
    message(FATAL_ERROR "${tool} is missing: run scripts/setup.sh")
  endif()
endforeach()

set(man_page "${deb_dir}/miwake.1.gz")
add_custom_command(OUTPUT "${man_page}"
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${deb_epoch}
          sh "${CMAKE_CURRENT_LIST_DIR}/man-page.sh" $<TARGET_FILE:miwake>
          "${CMAKE_CURRENT_LIST_DIR}/miwake.h2m" "${man_page}"
  DEPENDS miwake "${CMAKE_CURRENT_LIST_DIR}/man-page.sh" "${CMAKE_CURRENT_LIST_DIR}/miwake.h2m"
  VERBATIM)
add_custom_target(man_page ALL DEPENDS "${man_page}")

# The licence's own words after its title and copyright line.
file(MAKE_DIRECTORY "${deb_dir}")
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" licence)
string(REGEX REPLACE "^.*\n(Permission )" "\\1" licence "${licence}")
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REGEX REPLACE "\n" "\n " licence "${licence}")
# Written only when changed, so that a new configure makes nothing again.
file(CONFIGURE OUTPUT "${deb_dir}/copyright" @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: miwake

Files: *
Copyright: the ミワケール authors
License: Expat

License: Expat
 ${licence}
")

execute_process(COMMAND date -u -R -d @${deb_epoch} OUTPUT_VARIABLE deb_date
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(MIWAKE_DEB_MAINTAINER "the ミワケール authors <miwake@users.noreply.github.com>"
    CACHE STRING "The Debian package's maintainer")
set(deb_maintainer "${MIWAKE_DEB_MAINTAINER}")
file(CONFIGURE OUTPUT "${deb_dir}/changelog" @ONLY CONTENT
"miwake (${deb_version}) unstable; urgency=medium

  * Release ${deb_version}; see the project's history for its changes.

 -- ${deb_maintainer}  ${deb_date}
")
# -n keeps the name and time out of the gzip header.
add_custom_command(OUTPUT "${deb_dir}/changelog.gz"
  COMMAND ${deb_gzip} -9nkf "${deb_dir}/changelog"
  DEPENDS "${deb_dir}/changelog" VERBATIM)
add_custom_target(deb_changelog ALL DEPENDS "${deb_dir}/changelog.gz")

install(TARGETS miwake RUNTIME DESTINATION bin COMPONENT miwake)
install(FILES "${man_page}" DESTINATION share/man/man1 COMPONENT miwake)
install(FILES "${deb_dir}/copyright" "${deb_dir}/changelog.gz"
        DESTINATION share/doc/miwake COMPONENT miwake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME miwake)
set(CPACK_PACKAGE_VERSION "${deb_version}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};miwake;miwake;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${deb_maintainer}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS shared-mime-info)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tell what kind a file really is, whatever its name says")
set(CPACK_PACKAGE_DESCRIPTION
"miwake reads the first bytes of each file and names its kind (text, GIF,
JPEG, ZIP, Word, executables and about forty more) with the sentence that
the Windows program ミワケール shows, in Japanese, or as JSON.
It lists the files whose extension lies about their content, judged by the
shared MIME-info database, renames them to their kind's extension without
ever replacing a file, and gives the names back from a journal.")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/reproducible.cmake")
include(CPack)
