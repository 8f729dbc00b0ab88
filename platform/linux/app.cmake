# The services the Linux program composes: its process, shell and window system over the
# window model and the desktop's table, the channel later starts reach it through, and
# the session's idle timer.
find_package(Qt6 QUIET COMPONENTS Core DBus)
if(Qt6_FOUND)
  add_library(velk_linux_home STATIC
    ${CMAKE_CURRENT_LIST_DIR}/session_paths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/process.cpp
    ${CMAKE_CURRENT_LIST_DIR}/instance_channel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop_model_windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/idle_timer.cpp)
  target_link_libraries(velk_linux_home PUBLIC velk_model velk_linux_desktop_table Qt6::Core Qt6::DBus)
endif()
