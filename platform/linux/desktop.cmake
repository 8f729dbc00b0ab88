# The desktop's windows on Linux: the table every provider keeps current, and the role
# answered from it.
add_library(velk_linux_desktop_table STATIC ${CMAKE_CURRENT_LIST_DIR}/desktop_table.cpp
                                            ${CMAKE_CURRENT_LIST_DIR}/table_desktop_windows.cpp)
target_link_libraries(velk_linux_desktop_table PUBLIC velk_seam)

find_package(PkgConfig REQUIRED)
pkg_check_modules(VELK_X11 REQUIRED IMPORTED_TARGET GLOBAL xcb xcb-ewmh x11 x11-xcb)
pkg_check_modules(VELK_WAYLAND REQUIRED IMPORTED_TARGET GLOBAL wayland-client)
pkg_get_variable(VELK_WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT VELK_WAYLAND_SCANNER)
  find_program(VELK_WAYLAND_SCANNER wayland-scanner REQUIRED)
endif()

# X11 (EWMH, or the bare server): the provider, the capture key, key state, idle reset.
add_library(velk_linux_desktop_x11 STATIC ${CMAKE_CURRENT_LIST_DIR}/x11_desktop.cpp
                                          ${CMAKE_CURRENT_LIST_DIR}/x11_services.cpp)
target_link_libraries(velk_linux_desktop_x11 PUBLIC velk_linux_desktop_table PRIVATE PkgConfig::VELK_X11)

# Wayland compositors with the foreign-toplevel protocol; its code generated from the XML.
set(VELK_WLR_XML ${CMAKE_CURRENT_LIST_DIR}/protocols/wlr-foreign-toplevel-management-unstable-v1.xml)
set(VELK_WLR_GEN ${CMAKE_CURRENT_BINARY_DIR}/protocols)
set(VELK_WLR_HEADER ${VELK_WLR_GEN}/wlr-foreign-toplevel-management-unstable-v1-client-protocol.h)
set(VELK_WLR_CODE ${VELK_WLR_GEN}/wlr-foreign-toplevel-management-unstable-v1-protocol.c)
add_custom_command(
  OUTPUT ${VELK_WLR_HEADER} ${VELK_WLR_CODE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELK_WLR_GEN}
  COMMAND ${VELK_WAYLAND_SCANNER} client-header ${VELK_WLR_XML} ${VELK_WLR_HEADER}
  COMMAND ${VELK_WAYLAND_SCANNER} private-code ${VELK_WLR_XML} ${VELK_WLR_CODE}
  DEPENDS ${VELK_WLR_XML}
  COMMENT "wayland-scanner: the foreign-toplevel protocol")
add_library(velk_linux_desktop_wlroots STATIC ${CMAKE_CURRENT_LIST_DIR}/wlroots_desktop.cpp
                                              ${VELK_WLR_HEADER} ${VELK_WLR_CODE})
target_include_directories(velk_linux_desktop_wlroots PRIVATE ${VELK_WLR_GEN})
target_link_libraries(velk_linux_desktop_wlroots PUBLIC velk_linux_desktop_table PRIVATE PkgConfig::VELK_WAYLAND)

# The provider for the session at hand.
add_library(velk_linux_desktop STATIC ${CMAKE_CURRENT_LIST_DIR}/desktop_choice.cpp)
target_link_libraries(velk_linux_desktop PUBLIC velk_linux_desktop_x11 velk_linux_desktop_wlroots)
