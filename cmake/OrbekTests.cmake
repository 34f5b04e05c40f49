# Every tests/<folder>/tst_*.cpp becomes one Qt Test executable registered with CTest.
# A folder calls orbek_add_tests(<libraries>) and gets its files picked up without
# further editing; helpers shared by a folder's tests live in its *.h / helper_*.cpp.
function(orbek_add_tests)
  file(GLOB _tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
  file(GLOB _helpers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/helper_*.cpp")
  get_filename_component(_folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  foreach(_src IN LISTS _tests)
    get_filename_component(_name "${_src}" NAME_WE)
    set(_target "${_folder}_${_name}")
    add_executable(${_target} ${_src} ${_helpers})
    target_link_libraries(${_target} PRIVATE ${ARGN} Qt6::Test orbek_warnings)
    target_include_directories(${_target} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
    add_test(NAME ${_target} COMMAND ${_target})
    set_tests_properties(${_target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
      TIMEOUT 300)
  endforeach()
endfunction()
