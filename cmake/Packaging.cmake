# The Debian package (CPack, DEB generator): `cmake --build --preset package`
# writes build-package/tessed_<version>_<arch>.deb from the install rules.
# The package preset installs under /usr, where the program finds its shared
# folder as ../share/tessed beside itself.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tessed")
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "scenario editor and compiler for a home-automation bus controller")
set(CPACK_PACKAGE_CONTACT "Tessaro Editor maintainers <maintainers@tessaro.example.org>" CACHE STRING
  "The package's maintainer, as Debian writes it: name <address>")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The summary is the synopsis line; CPack indents this text and marks its
# empty line as Debian's paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Installers write with the Tessaro Editor the rules that a scenario
controller runs (what starts and stops a scenario, which conditions must or
must not hold, which actions follow, which bus commands enable or disable
it), manage them in projects (.tdj) and compile them into the controller's
listings.

The package holds the editor with its windows (tessed show), the batch
jobs of the tessed command, the shipped catalogue, the desktop entry with
the two file types, and libtessed40, the editor as a shared library with
its C interface for hosts written in other languages.")
# The libraries the programs link are found by dpkg-shlibdeps; the Qt
# platform plugins come with libqt6gui6 in Debian 12.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libtessed40.so.4 gets a shlibs entry and the ldconfig calls on install and
# removal.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
