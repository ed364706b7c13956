find_package(GTest REQUIRED)
include(GoogleTest)

# marlune_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [GUI] [LABELS <labels...>])
#
# Every test runs offscreen, in a fixed locale, with HOME and the XDG folders
# pointed at a folder of its own below the build tree, so nothing reads or
# writes the real user's settings.
function(marlune_add_test)
    cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    if(T_GUI)
        target_link_libraries(${T_NAME} PRIVATE marlune_test_main_gui)
    else()
        target_link_libraries(${T_NAME} PRIVATE marlune_test_main_core)
    endif()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
    target_compile_definitions(${T_NAME} PRIVATE
        MARLUNE_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}"
        MARLUNE_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
        MARLUNE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
    set(env
        QT_QPA_PLATFORM=offscreen
        LC_ALL=C.UTF-8
        LANG=C.UTF-8
        TZ=UTC
        HOME=${home}
        XDG_CONFIG_HOME=${home}/.config
        XDG_DATA_HOME=${home}/.local/share
        XDG_CACHE_HOME=${home}/.cache
        XDG_RUNTIME_DIR=${home}/runtime
        TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp:second_deadlock_stack=1:halt_on_error=1
        ASAN_OPTIONS=detect_leaks=1:suppressions=${PROJECT_SOURCE_DIR}/tests/asan.supp
        LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "${env}" LABELS "${T_LABELS}" TIMEOUT 600)
endfunction()
