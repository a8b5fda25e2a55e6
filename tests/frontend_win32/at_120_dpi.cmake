# The pictures on screen at 120 dots per inch: the same test as the host tests
# run at 96, built as a program of its own and run while the prefix says 120.
# Both draw Vodivuri.exe's own pictures, its resources' files (in every
# Windows build, whatever the thread model).
set(vodivuri_pictures_folder ${PROJECT_BINARY_DIR}/src/app/resources)
target_compile_definitions(frontend_win32_tests PRIVATE
                           VODIVURI_PICTURES_FOLDER="${vodivuri_pictures_folder}")
add_dependencies(frontend_win32_tests vodivuri_pictures)

add_executable(frontend_win32_120dpi_tests pictures_on_screen_test.cpp)
target_link_libraries(frontend_win32_120dpi_tests PRIVATE vodivuri_frontend_win32 vodivuri_program
                      vodivuri_platform_testing GTest::gtest GTest::gtest_main)
target_include_directories(frontend_win32_120dpi_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(frontend_win32_120dpi_tests PRIVATE VODIVURI_EXPECTED_DPI=120
                           VODIVURI_PICTURES_FOLDER="${vodivuri_pictures_folder}")
add_dependencies(frontend_win32_120dpi_tests vodivuri_pictures)

add_test(NAME frontend_win32_pictures_at_120_dpi
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/at_dpi.sh 120 ${CMAKE_CROSSCOMPILING_EMULATOR}
                 $<TARGET_FILE:frontend_win32_120dpi_tests>)
set_tests_properties(frontend_win32_pictures_at_120_dpi PROPERTIES
                     ENVIRONMENT "DISPLAY=${VODIVURI_WIN32_TEST_DISPLAY}"
                     FIXTURES_REQUIRED win32_display
                     RESOURCE_LOCK win32_display
                     TIMEOUT 120)
