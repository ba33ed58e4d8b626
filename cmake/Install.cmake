# What `cmake --install` puts where. The program folder (lib/cpe-manager) holds everything the
# program finds next to its executable: the executable, the adapter library, Setting.ini, Skin/,
# Languages/, help/ and the helper servers in service/. bin/ holds links into it (the program
# folder is found through the link). Beside them: the desktop entry, the icons of the hicolor
# theme drawn from the program's icon file, the AppStream metainfo, the manual page and the
# package documents. `cpe_installed` builds exactly what is installed.
include(GNUInstallDirs)

set(_cpe_program_dir ${CPE_INSTALL_PROGRAM_DIR})
set(_cpe_id net.orvana.cpe_manager)
set(_cpe_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_cpe_staged ${CMAKE_BINARY_DIR}/install-staging)
set(CPE_PACKAGE_MAINTAINER "cpe-manager developers <cpe-manager@orvana.net>" CACHE STRING
    "Maintainer named in the package and its changelog")

add_custom_target(cpe_installed)

# Programs: in the program folder, each with a relative link in bin/.
set(_cpe_programs cpe-manager)
if(TARGET cpe-cli)
  list(APPEND _cpe_programs cpe-cli)
endif()
foreach(program IN LISTS _cpe_programs)
  install(TARGETS ${program} RUNTIME DESTINATION ${_cpe_program_dir})
  file(RELATIVE_PATH _cpe_link_target ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
       ${CMAKE_INSTALL_PREFIX}/${_cpe_program_dir}/${program})
  file(MAKE_DIRECTORY ${_cpe_staged}/bin)
  file(CREATE_LINK ${_cpe_link_target} ${_cpe_staged}/bin/${program} SYMBOLIC)
  install(FILES ${_cpe_staged}/bin/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
  add_dependencies(cpe_installed ${program})
endforeach()

install(TARGETS LocalAdapter LIBRARY DESTINATION ${_cpe_program_dir})
install(TARGETS cpe-tftpd cpe-httpd RUNTIME DESTINATION ${_cpe_program_dir}/service)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/ DESTINATION ${_cpe_program_dir})
add_dependencies(cpe_installed LocalAdapter cpe-tftpd cpe-httpd)

# The Wireshark dissector, with this tree's protocol key, where Debian's Wireshark loads Lua
# plugins for every user.
install(FILES ${CPE_DISSECTOR} DESTINATION ${CMAKE_INSTALL_LIBDIR}/wireshark/plugins)

# The exporter's systemd unit, installed disabled (the package enables nothing), and the example
# alert rules for the Prometheus that watches the sites.
install(FILES ${_cpe_packaging}/cpe-exporter.service DESTINATION lib/systemd/system)
install(FILES ${_cpe_packaging}/cpe-exporter-alerts.yml DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# Desktop entry, icons, metainfo.
install(FILES ${_cpe_packaging}/${_cpe_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${_cpe_packaging}/${_cpe_id}.metainfo.xml.in ${_cpe_staged}/${_cpe_id}.metainfo.xml @ONLY)
install(FILES ${_cpe_staged}/${_cpe_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(_cpe_icon_sizes 16 24 32 48 64 256)
set(_cpe_icons)
foreach(size IN LISTS _cpe_icon_sizes)
  list(APPEND _cpe_icons ${_cpe_staged}/hicolor/${size}x${size}/apps/cpe-manager.png)
endforeach()
set(_cpe_icon_file ${PROJECT_SOURCE_DIR}/resources/Skin/Application.ico)
add_custom_command(OUTPUT ${_cpe_icons}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:cpe_icon_sizes> ${_cpe_icon_file} ${_cpe_staged}/hicolor cpe-manager ${_cpe_icon_sizes}
  DEPENDS cpe_icon_sizes ${_cpe_icon_file}
  COMMENT "Writing the hicolor icons from Application.ico"
  VERBATIM)
install(DIRECTORY ${_cpe_staged}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual page and changelog, compressed as Debian wants them (no name, no time stamp).
execute_process(COMMAND date -u -R -d "${CPE_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE CPE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(_cpe_manuals)
foreach(program ${_cpe_programs})
  configure_file(${_cpe_packaging}/${program}.1.in ${_cpe_staged}/${program}.1 @ONLY)
  list(APPEND _cpe_manuals ${program}.1)
endforeach()
configure_file(${_cpe_packaging}/changelog.in ${_cpe_staged}/changelog @ONLY)
set(_cpe_compressed)
foreach(doc ${_cpe_manuals} changelog)
  add_custom_command(OUTPUT ${_cpe_staged}/${doc}.gz
    COMMAND gzip -9nkf ${_cpe_staged}/${doc}
    DEPENDS ${_cpe_staged}/${doc}
    VERBATIM)
  list(APPEND _cpe_compressed ${_cpe_staged}/${doc}.gz)
endforeach()
list(TRANSFORM _cpe_manuals APPEND .gz)
list(TRANSFORM _cpe_manuals PREPEND ${_cpe_staged}/)
install(FILES ${_cpe_manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_cpe_staged}/changelog.gz ${_cpe_packaging}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

add_custom_target(cpe_install_files ALL DEPENDS ${_cpe_icons} ${_cpe_compressed})
add_dependencies(cpe_installed cpe_install_files)
