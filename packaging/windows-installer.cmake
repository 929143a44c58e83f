# The Windows installer (CPack's NSIS generator, makensis from Debian's nsis
# package): the same files as the zip, into Program Files, with a Start-menu
# entry, the data files registered with the program, and an uninstaller that
# removes the program and its registrations and leaves the user's data files
# and settings (%APPDATA%\vornik-pc\ for an installed program, which the
# marker file vornik-pc.installed beside it tells).
#
# VORNIK_WINDOWS_STAGE names the zip's folder (scripts/build-windows-gui);
# without it the programs of this build alone are packed.
set(VORNIK_WINDOWS_STAGE "" CACHE PATH "The folder of the Windows zip, packed by the installer")
if(VORNIK_WINDOWS_STAGE)
  install(DIRECTORY ${VORNIK_WINDOWS_STAGE}/ DESTINATION .)
else()
  foreach(program vornik-pc vornik-log vornik-sim)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
  endforeach()
endif()

# Beside an installed program this file sends settings and data files to the
# user's folders, so the uninstaller can remove the whole program folder.
file(WRITE ${CMAKE_BINARY_DIR}/vornik-pc.installed
  "Installed by the VORNIK PC installer: settings live in %APPDATA%\\vornik-pc.\r\n")
install(FILES ${CMAKE_BINARY_DIR}/vornik-pc.installed DESTINATION .)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME vornik-pc)
set(CPACK_PACKAGE_VENDOR "VORNIK PC")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME vornik-pc-${PROJECT_VERSION}-win64-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "VORNIK PC")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Measurements of the VORNIK gas analyser")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# A 64-bit installer, as the program is: it writes the 64-bit registry view.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_PACKAGE_NAME "VORNIK PC")
set(CPACK_NSIS_DISPLAY_NAME "VORNIK PC")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start-menu entry; its icon is the program's own.
set(CPACK_PACKAGE_EXECUTABLES "vornik-pc;VORNIK PC")
set(CPACK_NSIS_INSTALLED_ICON_NAME vornik-pc.exe)
if(VORNIK_WINDOWS_ICON)
  set(CPACK_NSIS_MUI_ICON ${VORNIK_WINDOWS_ICON})
  set(CPACK_NSIS_MUI_UNIICON ${VORNIK_WINDOWS_ICON})
endif()

# .gas, .tmpr and .prd open in the program, with its icon; removed again by
# the uninstaller (only where they still name this program).
set(install_commands "")
set(uninstall_commands "")
foreach(extension gas tmpr prd)
  string(APPEND install_commands
    "WriteRegStr HKLM 'Software\\\\Classes\\\\.${extension}' '' 'VornikPC.${extension}'\n"
    "WriteRegStr HKLM 'Software\\\\Classes\\\\VornikPC.${extension}' '' 'VORNIK PC (.${extension})'\n"
    "WriteRegStr HKLM 'Software\\\\Classes\\\\VornikPC.${extension}\\\\DefaultIcon' '' '$INSTDIR\\\\vornik-pc.exe,0'\n"
    "WriteRegStr HKLM 'Software\\\\Classes\\\\VornikPC.${extension}\\\\shell\\\\open\\\\command' '' '\\\"$INSTDIR\\\\vornik-pc.exe\\\" \\\"%1\\\"'\n")
  string(APPEND uninstall_commands
    "ReadRegStr $0 HKLM 'Software\\\\Classes\\\\.${extension}' ''\n"
    "StrCmp $0 'VornikPC.${extension}' 0 +2\n"
    "DeleteRegKey HKLM 'Software\\\\Classes\\\\.${extension}'\n"
    "DeleteRegKey HKLM 'Software\\\\Classes\\\\VornikPC.${extension}'\n")
endforeach()
string(APPEND install_commands "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n")
string(APPEND uninstall_commands "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${install_commands}")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${uninstall_commands}")
include(CPack)
