# The sound card's mixer and the recorder behind its input level meter, on ALSA.
find_package(PkgConfig REQUIRED)
# Global, so that the integration tests can ask ALSA directly what the card offers.
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET GLOBAL alsa)

add_library(pulsara_platform_alsa STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AlsaCapture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AlsaMixerDevice.cpp)
target_include_directories(pulsara_platform_alsa PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(pulsara_platform_alsa PUBLIC pulsara_platform_api PRIVATE PkgConfig::ALSA)
