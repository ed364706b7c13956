find_package(GTest REQUIRED)
include(GoogleTest)

# marlune_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [GUI] LABEL <label>)
#
# The test main (tests/TestMain.cpp) gives every test process its own home
# and XDG folders, the offscreen platform, a fixed locale and the sanitizer
# options, so nothing depends on the environment CTest runs in. The label
# names the layer: the ThreadSanitizer run selects "platform", "engine" and
# "encoder" (the encoder module's threads).
function(marlune_add_test)
    cmake_parse_arguments(T "GUI" "NAME;LABEL" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT T_LABEL AND T_LABELS)
        list(GET T_LABELS 0 T_LABEL)
    endif()
    if(NOT T_LABEL)
        message(FATAL_ERROR "marlune_add_test(${T_NAME}) needs a LABEL")
    endif()
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
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${T_LABEL} TIMEOUT 600)
endfunction()
