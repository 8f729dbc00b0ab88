# The Linux home's face: the window model shown with Qt Widgets, and Qt's event loop as
# the model's wait. The program's icons are built into the library.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
file(GLOB VELK_LINUX_VIEW_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/view/*.cpp)
add_library(velk_linux_view STATIC ${VELK_LINUX_VIEW_SOURCES})
target_link_libraries(velk_linux_view PUBLIC velk_model velk_res Qt6::Widgets)
file(GLOB VELK_ICON_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/icons/*.ico)
qt_add_resources(velk_linux_view velk_view_icons PREFIX /velk/icons
                 BASE ${CMAKE_SOURCE_DIR}/res/icons FILES ${VELK_ICON_FILES})
