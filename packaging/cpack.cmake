# Debian packages of the install, made by `cpack -G DEB` in the build folder
# (scripts/package makes them from a clean checkout):
#   vellarin      component runtime: the program, the registration tool, the
#                 modules, the shared component layer, the registry drop-in,
#                 desktop entry, icon, metainfo and manual pages;
#   vellarin-dev  component dev: the development kit (headers, CMake package,
#                 pkg-config file, the layer's unversioned link, the Designer
#                 plugin).
# Dependencies come from the binaries through dpkg-shlibdeps; the version is
# the project's one version number.
include(GNUInstallDirs)

set(VELLARIN_PACKAGE_MAINTAINER "The Vellarin developers <vellarin@example.org>"
    CACHE STRING "Maintainer of the Debian packages: name <address>")
set(VELLARIN_PACKAGE_REVISION 1 CACHE STRING "Debian revision of the packages")
set(VELLARIN_PACKAGE_VERSION ${PROJECT_VERSION}-${VELLARIN_PACKAGE_REVISION})

# copyright and changelog.Debian in each package's own doc folder. They go
# into the packages only: a plain `cmake --install` leaves them out.
set(debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${debian_dir}/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.Debian.in ${debian_dir}/changelog.Debian @ONLY)
# Without a name or time stamp in the header, the same changelog gives the
# same bytes.
execute_process(COMMAND gzip -9n -c ${debian_dir}/changelog.Debian
                OUTPUT_FILE ${debian_dir}/changelog.Debian.gz
                COMMAND_ERROR_IS_FATAL ANY)
set(components runtime dev)
set(packages vellarin vellarin-dev)
foreach(component package IN ZIP_LISTS components packages)
  install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellarin)
set(CPACK_PACKAGE_VENDOR "The Vellarin developers")
set(CPACK_PACKAGE_CONTACT ${VELLARIN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE vellarin)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELLARIN_PACKAGE_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELLARIN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The layer's own library folder, so dpkg-shlibdeps finds what the
# program, the tool, the modules and the Designer plugin link of ours.
# dpkg-shlibdeps runs in the package's staging folder: the relative folder
# is the package's own, the build's is where the Designer plugin of the
# other package finds it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    .${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR} ${CMAKE_BINARY_DIR}/lib)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME vellarin)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION sound)
# PortAudio is loaded when recording goes through ALSA, so no binary names it.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libportaudio2")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "real-time audio spectrum analyser
Vellarin records a sound input, transforms each frame with a fast Fourier
transform of 1024 to 16384 points and shows every new spectrum live in a
chart of level over frequency, with a cross-hair readout of the frequency
and level under it, and in a waterfall that scrolls in one of six
directions, flat or in 3D.

The package also holds the chart control as a component module that
programs of your own can create at run time, and vellarin-register, which
registers component modules and prints what they hold.")
# The shared component layer: the shared-library list and the ldconfig
# trigger that updates the linker's cache when it is installed or removed.
# A program built against the layer needs this version or a later one: the
# soname changes when the layer stops serving programs built before.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME vellarin-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The kit's headers use Qt's, and its unversioned link points into vellarin:
# neither shows in a binary, so these two are named here.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "vellarin (= ${VELLARIN_PACKAGE_VERSION}), qt6-base-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION "development kit for the vellarin chart control
The headers, CMake package and pkg-config file to build a Qt program of
your own that creates the vellarin chart control, a 16-channel strip chart
and oscilloscope, at run time and drives it through numbered dispatch;
also the Qt Designer plugin of the chart.")

include(CPack)
