# Installs the build under a fresh prefix, checks the layout, and builds the firmware example against
# the installed CMake module alone, which must find the installed quorvane-cli by itself.
file(REMOVE_RECURSE "${PREFIX}" "${PREFIX}-example")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed")
endif()
set(expected bin/quorvane-cli libexec/quorvane/quorvane-cli-full lib/cmake/Quorvane/Quorvane.cmake)
if(WITH_UI)
    list(APPEND expected bin/quorvane)
endif()
foreach(file IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "missing after install: ${file}")
    endif()
endforeach()
execute_process(
    COMMAND "${CMAKE_CTEST_COMMAND}" --build-and-test "${SOURCE_DIR}/examples/firmware" "${PREFIX}-example"
            --build-generator Ninja
            --build-options "-DQUORVANE_MODULE=${PREFIX}/lib/cmake/Quorvane/Quorvane.cmake"
            --test-command "${CMAKE_CTEST_COMMAND}" --output-on-failure
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the firmware example did not build and pass against the installed module")
endif()
