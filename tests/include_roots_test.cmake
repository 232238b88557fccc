# Compiles a one-line file against a library's include roots: its own header must be found, and each
# header of a folder it must not depend on must be missing. Run with -P; INCLUDES and FORBIDDEN are
# lists joined with "|".
string(REPLACE "|" ";" includes "${INCLUDES}")
string(REPLACE "|" ";" forbidden "${FORBIDDEN}")
set(flags -std=c++20 -fsyntax-only)
foreach(dir IN LISTS includes)
    list(APPEND flags "-I${dir}")
endforeach()

function(compile header result_var output_var)
    set(source "${WORK_DIR}/probe.cpp")
    file(WRITE "${source}" "#include \"${header}\"\n")
    execute_process(COMMAND "${COMPILER}" ${flags} "${source}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(${result_var} ${rc} PARENT_SCOPE)
    set(${output_var} "${out}" PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${WORK_DIR}")
compile("${OWN}" rc out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${LIBRARY} cannot include its own ${OWN}:\n${out}")
endif()
foreach(header IN LISTS forbidden)
    compile("${header}" rc out)
    if(rc EQUAL 0 OR NOT out MATCHES "No such file")
        message(FATAL_ERROR "${LIBRARY} can include ${header}, a folder it must not depend on:\n${out}")
    endif()
endforeach()
