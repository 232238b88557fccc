# Configures the source as a packager would (no developer mode) with GoogleTest and Google Benchmark
# made impossible to find, then builds the command-line program.
file(REMOVE_RECURSE "${BUILD_DIR}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${BUILD_DIR}" -G Ninja -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_CXX_COMPILER=${CXX} -DQUORVANE_BUILD_UI=OFF
            -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "configuring without developer mode failed:\n${out}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --target quorvane-cli
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "building quorvane-cli without developer mode failed:\n${out}")
endif()
