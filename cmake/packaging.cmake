# Installation and packages.
#   Linux: `cmake --install` puts the program, the virtual mixer, their menu entries,
#   the hicolor icons and the AppStream metainfo under the prefix; CPack makes a Debian
#   package of the same tree (configure with -DCMAKE_INSTALL_PREFIX=/usr for it).
#   Windows (cross build): the `windows-zip` target makes a zip of kestrava.exe with a
#   README for Windows users.
include(GNUInstallDirs)

set(KESTRAVA_APP_ID org.example.Kestrava)
# The date of the release that PROJECT_VERSION names; change the two together.
set(KESTRAVA_RELEASE_DATE 2026-12-11)
set(_kestrava_packaging ${PROJECT_SOURCE_DIR}/resources)

if(WIN32)
  set(_zip_name kestrava-${PROJECT_VERSION}-windows-x86_64)
  set(_zip_stage ${CMAKE_BINARY_DIR}/windows-zip)
  set(_zip ${CMAKE_BINARY_DIR}/${_zip_name}.zip)
  configure_file(${_kestrava_packaging}/windows-zip/README.txt.in
                 ${CMAKE_BINARY_DIR}/windows-zip-README.txt @ONLY NEWLINE_STYLE CRLF)
  add_custom_command(
    OUTPUT ${_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${_zip_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_zip_stage}/${_zip_name}
    COMMAND ${CMAKE_STRIP} --strip-debug -o ${_zip_stage}/${_zip_name}/kestrava.exe
            $<TARGET_FILE:kestrava>
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/windows-zip-README.txt
            ${_zip_stage}/${_zip_name}/README.txt
    COMMAND ${CMAKE_COMMAND} -E rm -f ${_zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${_zip_stage}
            ${CMAKE_COMMAND} -E tar cf ${_zip} --format=zip ${_zip_name}
    DEPENDS kestrava ${CMAKE_BINARY_DIR}/windows-zip-README.txt
    COMMENT "Packing ${_zip_name}.zip"
    VERBATIM)
  add_custom_target(windows-zip DEPENDS ${_zip})
  return()
endif()

if(NOT KESTRAVA_BUILD_QT)
  return()
endif()

# Installed binaries find Qt in the system's library path, without an $ORIGIN RUNPATH.
set_target_properties(kestrava virtual-mixer PROPERTIES INSTALL_RPATH "")

# Menu entries: Kestrava starts through a small launcher in its settings folder.
set(KESTRAVA_INSTALLED_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/kestrava)
set(KESTRAVA_DESKTOP_LAUNCHER ${CMAKE_INSTALL_FULL_LIBEXECDIR}/kestrava/start-kestrava)
set(_linux_out ${CMAKE_BINARY_DIR}/resources/linux)
configure_file(${_kestrava_packaging}/linux/start-kestrava.in ${_linux_out}/start-kestrava @ONLY)
configure_file(${_kestrava_packaging}/linux/${KESTRAVA_APP_ID}.desktop.in
               ${_linux_out}/${KESTRAVA_APP_ID}.desktop @ONLY)
configure_file(${_kestrava_packaging}/linux/${KESTRAVA_APP_ID}.metainfo.xml.in
               ${_linux_out}/${KESTRAVA_APP_ID}.metainfo.xml @ONLY)

install(PROGRAMS ${_linux_out}/start-kestrava DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kestrava)
install(FILES ${_linux_out}/${KESTRAVA_APP_ID}.desktop
              ${_kestrava_packaging}/linux/${KESTRAVA_APP_ID}.VirtualMixer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_linux_out}/${KESTRAVA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Hicolor icons, drawn from the program's artwork (the same one as the Windows icon).
find_program(KESTRAVA_CONVERT convert REQUIRED)
set(_artwork ${_kestrava_packaging}/icon/kestrava-256.png)
set(_icons)
foreach(size 16 22 24 32 48 64 128 256)
  set(_icon ${_linux_out}/icons/${size}x${size}/${KESTRAVA_APP_ID}.png)
  add_custom_command(
    OUTPUT ${_icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_linux_out}/icons/${size}x${size}
    COMMAND ${KESTRAVA_CONVERT} ${_artwork} -strip -filter Lanczos -resize ${size}x${size}
            -define png:exclude-chunks=date,time PNG32:${_icon}
    DEPENDS ${_artwork}
    VERBATIM)
  list(APPEND _icons ${_icon})
  install(FILES ${_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(linux-icons ALL DEPENDS ${_icons})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrava)
set(CPACK_PACKAGE_VENDOR "Kestrava developers")
set(CPACK_PACKAGE_CONTACT "Kestrava developers <kestrava@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://${KESTRAVA_WEB_HOST}/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exercise the motor faders of a digital mixing console")
# CPack puts the summary first; this is the long description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kestrava tests replaced motor faders: it sends OSC 1.0 float messages over UDP to
the console's port 10023, moving the sixteen channel faders and the main fader
through three passes of sweeps and ramps.
.
The package also holds virtual-mixer, which listens on 127.0.0.1:10023 and shows
the faders as the messages arrive, so that an exercise can be watched without a
console.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
