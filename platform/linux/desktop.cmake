# The desktop's windows on Linux: the table every provider keeps current.
add_library(velk_linux_desktop_table STATIC ${CMAKE_CURRENT_LIST_DIR}/desktop_table.cpp)
target_link_libraries(velk_linux_desktop_table PUBLIC velk_seam)
