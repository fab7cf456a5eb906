# The settings store, the drawing surface and the dialogs over Qt. Included by CMakeLists.txt of
# this folder only when the whole program is built.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)

add_library(pulsara_platform_qt STATIC
    ${CMAKE_CURRENT_LIST_DIR}/QtSettingsStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtSurface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtDialogs.cpp)
target_link_libraries(pulsara_platform_qt PUBLIC pulsara_platform_api Qt6::Core Qt6::Gui
                                                 Qt6::Widgets)
