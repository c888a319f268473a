# The packages CPack makes from the install rules of cmake/Install.cmake (include that first):
#   Linux    a Debian package, tarvello_<version>_<arch>.deb, installed under /usr
#            (cpack -G DEB in the build folder; scripts/package.sh makes and checks it);
#   Windows  an NSIS installer (cpack -G NSIS, the default there) or an MSI (cpack -G WIX),
#            each with the tool's icon and a Start-menu shortcut to it.
set(CPACK_PACKAGE_NAME tarvello)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tarvello developers")
set(CPACK_PACKAGE_CONTACT "${TARVELLO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up the media sensors of a label printer over RS-232")
# Lines of at most 80 characters, as the Debian package's description wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvello is the printer technician's tool for the two media sensors of a label
printer, the reflective and the transmissive one, on a serial line: it opens
the port, watches the printer's status, searches each sensor's sensitivity
level and light intensity, takes readings, runs paper checks and keeps the
results in the parameter file parameterset.ini.
.
tarvello-printer, a virtual label printer on a pseudo-terminal, lets the tool
be tried and tested without a printer.")
# The installers' licence page (WiX takes a .txt or .rtf only).
configure_file(${PROJECT_SOURCE_DIR}/dist/copyright ${PROJECT_BINARY_DIR}/dist/copyright.txt
               COPYONLY)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_BINARY_DIR}/dist/copyright.txt)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

# Debian: the libraries' packages (the Qt 6 ones among them) from dpkg-shlibdeps, and what the
# tool loads without linking to it: the CJK fonts of its Chinese texts. The Qt platform plugins
# it needs (xcb, and offscreen for --help without a display) come with libqt6gui6 in Debian 12;
# qt6-qpa-plugins holds only vnc and tuio, and a Wayland session runs the tool through XWayland
# unless qt6-wayland is there.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-ukai, fonts-arphic-uming")
# The SQL drivers are plugins, loaded by name, so the library scan never sees them: the records
# file (QSQLITE) and the plant database (QPSQL).
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The files go under /usr, the DEB generator's own CPACK_PACKAGING_INSTALL_PREFIX (set here it
# would move the source package's files too).
if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
endif()

# Windows: installed to Program Files\Tarvello, shortcut "Tarvello" in the Start menu.
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tarvello)
if(TARGET tarvello)
  set(CPACK_PACKAGE_EXECUTABLES tarvello Tarvello)
endif()
set(tarvello_ico ${PROJECT_SOURCE_DIR}/dist/windows/tarvello.ico)
set(CPACK_NSIS_PACKAGE_NAME Tarvello)
set(CPACK_NSIS_DISPLAY_NAME "Tarvello ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${tarvello_ico})
set(CPACK_NSIS_MUI_UNIICON ${tarvello_ico})
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\\\tarvello.exe)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN tarvello.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The MSI's upgrade code stays the same across versions, so a new version replaces the old.
set(CPACK_WIX_UPGRADE_GUID D4600AA2-69CB-48E1-B7A3-5B9639F19DB9)
set(CPACK_WIX_PRODUCT_ICON ${tarvello_ico})
set(CPACK_WIX_PROGRAM_MENU_FOLDER Tarvello)
if(WIN32)
  set(CPACK_GENERATOR NSIS)
endif()

# A source package (cpack --config CPackSourceConfig.cmake) of the repository's files only.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/\\.git$" "/build/"
    "/build-[^/]*/" "\\.swp$" "/fuzz/corpus-run/")

include(CPack)
