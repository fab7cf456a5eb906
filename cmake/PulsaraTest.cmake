# pulsara_add_test(<name> [LABEL unit|ui|integration] [PULSE] SOURCES ... LIBS ... [ENVIRONMENT ...]
#                  [TIMEOUT s])
# PULSE: the test plays into or reads the private PulseAudio server on a null sink (tests/).
# One GoogleTest executable registered as one CTest test, so that labels and fixtures apply to it
# whole.
find_package(GTest REQUIRED)
enable_testing()

function(pulsara_add_test name)
    cmake_parse_arguments(T "PULSE" "LABEL;TIMEOUT" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} pulsara_test_fakes GTest::gtest GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    if(NOT T_LABEL)
        set(T_LABEL unit)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
    if(T_PULSE)
        list(APPEND T_ENVIRONMENT ${PULSARA_PULSE_ENV})
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${PULSARA_PULSE_FIXTURE}
                                                RESOURCE_LOCK pulse_null_sink)
    endif()
    if(T_ENVIRONMENT)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
    endif()
endfunction()

# pulsara_pulse_runtime(<var> <name>): a runtime folder for a private PulseAudio server, in the build
# folder where it fits. The server's socket lies in <runtime>/pulse/native, and a socket path may
# not exceed 107 bytes, so a deep build folder gets a short folder under /tmp instead.
set(PULSARA_PULSE_FIXTURE_SCRIPT ${PROJECT_SOURCE_DIR}/tests/integration/pulse-fixture.sh)
function(pulsara_pulse_runtime var name)
    set(runtime ${CMAKE_BINARY_DIR}/${name})
    string(LENGTH "${runtime}/pulse/native" socket_length)
    if(socket_length GREATER 100)
        string(MD5 hash "${CMAKE_BINARY_DIR}")
        string(SUBSTRING "${hash}" 0 12 hash)
        set(runtime /tmp/pulsara-${name}-${hash})
    endif()
    set(${var} ${runtime} PARENT_SCOPE)
endfunction()
