# Run after the discovered test lists of a folder are read, in the Windows
# build. Whichever Wine process first needs a desktop makes the prefix's one,
# and a test without a display then leaves the window tests unable to create
# windows (error 1400): every GoogleTest program under Wine takes its turn
# with the window tests instead of running beside them.
get_cmake_property(variables VARIABLES)
foreach(variable IN LISTS variables)
  if(variable MATCHES "_TESTS$" AND NOT variable STREQUAL "frontend_win32_tests_TESTS")
    set_tests_properties(${${variable}} PROPERTIES RESOURCE_LOCK win32_display)
  endif()
endforeach()
