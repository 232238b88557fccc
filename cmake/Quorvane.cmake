# quorvane_add_image(<target> IMAGE <picture> [DEPTH 8|12|16] [TARGET pic|arm] [DITHER none|ordered|fs]
#                    [FIT] [BACKGROUND RRGGBB] [NAME <name>])
#
# Generates C array source from a picture (BMP, PNG, JPEG or GIF) at build time, with quorvane-cli, and
# adds it to <target>. FIT scales a picture larger than the panel down to fit it; BACKGROUND is the
# colour under transparent pixels (white by default). The source is regenerated whenever the picture
# changes. The program used is, in this order: the
# QUORVANE_CLI variable, a quorvane-cli target of the same build, or quorvane-cli found beside this
# file's install location or on the PATH.
include_guard(GLOBAL)

# Gives ARG_<option> its default when the option is not given, and stops at a word it does not take.
macro(_quorvane_choice option default words said)
    if(NOT ARG_${option})
        set(ARG_${option} ${default})
    endif()
    if(NOT ARG_${option} MATCHES "^(${words})$")
        message(FATAL_ERROR "quorvane_add_image: ${option} must be ${said}, not ${ARG_${option}}")
    endif()
endmacro()

function(quorvane_add_image target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "FIT" "IMAGE;DEPTH;TARGET;DITHER;BACKGROUND;NAME" "")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "quorvane_add_image: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_IMAGE)
        message(FATAL_ERROR "quorvane_add_image: IMAGE is required")
    endif()
    _quorvane_choice(DEPTH 8 "8|12|16" "8, 12 or 16")
    _quorvane_choice(TARGET pic "pic|arm" "pic or arm")
    _quorvane_choice(DITHER none "none|ordered|fs" "none, ordered or fs")
    _quorvane_choice(BACKGROUND FFFFFF "[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]"
                     "six hex digits RRGGBB")
    set(fit_option)
    if(ARG_FIT)
        set(fit_option --fit)
    endif()

    if(QUORVANE_CLI)
        set(cli "${QUORVANE_CLI}")
    elseif(TARGET quorvane-cli)
        set(cli "$<TARGET_FILE:quorvane-cli>")
        set(cli_dependency quorvane-cli)
    else()
        find_program(QUORVANE_CLI quorvane-cli HINTS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../../../bin" REQUIRED)
        set(cli "${QUORVANE_CLI}")
    endif()

    get_filename_component(image "${ARG_IMAGE}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_filename_component(stem "${image}" NAME_WE)
    set(variant ${ARG_DEPTH})
    get_filename_component(extension "${image}" LAST_EXT)
    string(TOLOWER "${extension}" extension)
    if(NOT extension STREQUAL ".bmp") # logo.bmp and logo.png each get their own source
        string(REPLACE "." "_" extension "${extension}")
        string(APPEND variant "${extension}")
    endif()
    if(NOT ARG_DITHER STREQUAL "none")
        string(APPEND variant "_${ARG_DITHER}")
    endif()
    set(source "${CMAKE_CURRENT_BINARY_DIR}/quorvane/${target}_${stem}_${variant}.c")
    set(name_option)
    if(DEFINED ARG_NAME)
        set(name_option --name "${ARG_NAME}")
    endif()

    add_custom_command(
        OUTPUT "${source}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/quorvane"
        COMMAND "${cli}" code --depth ${ARG_DEPTH} --target ${ARG_TARGET} --dither ${ARG_DITHER} ${fit_option}
                --background ${ARG_BACKGROUND} ${name_option} --output "${source}" "${image}"
        DEPENDS "${image}" ${cli_dependency}
        COMMENT "Converting ${stem} to a ${ARG_DEPTH}-bit array"
        VERBATIM)
    target_sources(${target} PRIVATE "${source}")
endfunction()
