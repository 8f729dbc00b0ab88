# KDE Plasma and GNOME under Wayland: the desktop's own script or extension reports the
# windows over the session bus.
find_package(Qt6 REQUIRED COMPONENTS DBus)
include(GNUInstallDirs)

# What Velk installs under share/velk/, laid out the same in the build tree so that a build
# runs and tests without installing.
set(VELK_SHELLS_DATADIR ${CMAKE_BINARY_DIR}/share)
set(VELK_SHELLS_SOURCE ${CMAKE_CURRENT_LIST_DIR})
configure_file(${VELK_SHELLS_SOURCE}/kwin/velk.js ${VELK_SHELLS_DATADIR}/velk/kwin/velk.js COPYONLY)

# The GNOME Shell extension: one source, built as a legacy extension for 43-44 and as an ES
# module for 45 on, each a directory and the bundle that gnome-extensions installs.
set(VELK_GNOME_DIR ${VELK_SHELLS_SOURCE}/gnome-shell)
file(READ ${VELK_GNOME_DIR}/windows.js VELK_GNOME_CORE)
set(VELK_GNOME_BUNDLES)
function(velk_gnome_variant name form VELK_SHELL_VERSIONS)
  set(dir ${VELK_SHELLS_DATADIR}/velk/gnome-shell/${name}/velk-windows@velk)
  file(READ ${VELK_GNOME_DIR}/${form}-head.js head)
  file(READ ${VELK_GNOME_DIR}/${form}-tail.js tail)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}-extension.js "${head}${VELK_GNOME_CORE}${tail}")
  configure_file(${CMAKE_CURRENT_BINARY_DIR}/${name}-extension.js ${dir}/extension.js COPYONLY)
  configure_file(${VELK_GNOME_DIR}/metadata.json.in ${dir}/metadata.json @ONLY)
  set(bundle ${VELK_SHELLS_DATADIR}/velk/gnome-shell/velk-windows-${name}.zip)
  add_custom_command(OUTPUT ${bundle}
                     COMMAND ${CMAKE_COMMAND} -E tar cf ${bundle} --format=zip extension.js metadata.json
                     WORKING_DIRECTORY ${dir}
                     DEPENDS ${dir}/extension.js ${dir}/metadata.json)
  set(VELK_GNOME_BUNDLES ${VELK_GNOME_BUNDLES} ${bundle} PARENT_SCOPE)
endfunction()
velk_gnome_variant(gnome43 legacy [["43", "44"]])
velk_gnome_variant(gnome45 module [["45", "46", "47", "48"]])
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${VELK_GNOME_DIR}/windows.js ${VELK_GNOME_DIR}/legacy-head.js
             ${VELK_GNOME_DIR}/legacy-tail.js ${VELK_GNOME_DIR}/module-head.js
             ${VELK_GNOME_DIR}/module-tail.js)
add_custom_target(velk_gnome_extension ALL DEPENDS ${VELK_GNOME_BUNDLES})

add_library(velk_linux_desktop_shells STATIC
  ${VELK_SHELLS_SOURCE}/shell_hint.cpp
  ${VELK_SHELLS_SOURCE}/shell_candidates.cpp
  ${VELK_SHELLS_SOURCE}/shell_windows.cpp
  ${VELK_SHELLS_SOURCE}/shell_bus.cpp
  ${VELK_SHELLS_SOURCE}/kwin_provider.cpp
  ${VELK_SHELLS_SOURCE}/gnome_provider.cpp)
set_target_properties(velk_linux_desktop_shells PROPERTIES AUTOMOC ON)
target_link_libraries(velk_linux_desktop_shells PUBLIC velk_linux_desktop Qt6::DBus)
target_compile_definitions(velk_linux_desktop_shells PRIVATE
  VELK_INSTALL_DATADIR="${CMAKE_INSTALL_FULLDATADIR}" VELK_BUILD_DATADIR="${VELK_SHELLS_DATADIR}")
add_dependencies(velk_linux_desktop_shells velk_gnome_extension)

install(FILES ${VELK_SHELLS_SOURCE}/kwin/velk.js DESTINATION ${CMAKE_INSTALL_DATADIR}/velk/kwin)
install(FILES ${VELK_GNOME_BUNDLES} DESTINATION ${CMAKE_INSTALL_DATADIR}/velk/gnome-shell)
