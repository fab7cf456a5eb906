# The real sound output over PortAudio (ALSA host API; ALSA's default device reaches PulseAudio or
# PipeWire on a desktop). Included only outside the core-only build.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PULSARA_PORTAUDIO REQUIRED IMPORTED_TARGET portaudio-2.0 alsa jack)

add_library(pulsara_sound STATIC ${CMAKE_CURRENT_LIST_DIR}/PortAudioSoundOutput.cpp)
target_include_directories(pulsara_sound PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(pulsara_sound PUBLIC pulsara_platform_api PRIVATE PkgConfig::PULSARA_PORTAUDIO)
