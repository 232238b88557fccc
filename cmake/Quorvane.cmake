# quorvane_add_image(<target> IMAGE <picture> [DEPTH 8|12|16|18|24] [TARGET pic|arm|avr] [DITHER none|ordered|fs]
#                    [DISPLAY <name>] [PANEL <W>x<H>] [SIZE_HEADER 8|16|none]
#                    [FIT [contain|cover]] [BACKGROUND RRGGBB] [NAME <name>]
#                    [INVERT] [BGR] [ROTATE 0|90|180|270] [MIRROR none|h|v] [BYTE_ORDER big|little]
#                    [COLUMNS <n>] [RADIX dec|hex] [HEADER <file.h>]
#                    [PALETTE 2|4|16|256 | MONO [MONO_LAYOUT rows|rows-lsb|pages]]
#                    [COMPRESS none|rle|lz4|auto])
#
# Generates C array source from a picture (BMP, PNG, JPEG or GIF) at build time, with quorvane-cli, and
# adds it to <target>. DISPLAY names a module (`quorvane-cli displays` lists them), whose size and default
# depth apply unless PANEL and DEPTH say otherwise; without either the panel is 132 x 132 and the depth 8.
# SIZE_HEADER sets how the size leads the data. FIT scales a picture larger than the panel down to fit it
# (FIT cover fills the panel, keeping the picture's middle); BACKGROUND is the
# colour under transparent pixels (white by default). INVERT, BGR, ROTATE, MIRROR and BYTE_ORDER (16 Bit
# only) fit the bytes to the panel; COLUMNS, RADIX and HEADER shape the source text. HEADER names a
# header written beside the generated source, in a folder added to <target>'s include path, so that
# #include "<file.h>" finds it. PALETTE, MONO and COMPRESS store the picture in fewer bytes; with any of
# them the decoder's header, quorvane_decode.h, is generated into the build tree and put on <target>'s
# include path, and with HEADER the source defines <name>_image for it. A monochrome DISPLAY stores one
# bit a pixel: give MONO with it. The source is regenerated whenever
# the picture changes. The program
# used is, in this order: the
# QUORVANE_CLI variable, a quorvane-cli target of the same build, or quorvane-cli found beside this
# file's install location or on the PATH.
#
# quorvane_add_pack(<target> NAME <name> INPUTS <pictures, animations and folders>...
#                   [FRAMES <folder>]... [DELAY <ms>] [SHEET <W>x<H> <picture>]...
#                   [DISPLAY <name>] [DEPTH 8|12|16|18|24] [PANEL <W>x<H>] [FIT [contain|cover]]
#                   [BACKGROUND RRGGBB] [INVERT] [BGR] [ROTATE 0|90|180|270] [MIRROR none|h|v]
#                   [BYTE_ORDER big|little] [DITHER none|ordered|fs] [TARGET pic|arm|avr]
#                   [PALETTE 2|4|16|256 [SHARED_PALETTE] | MONO [MONO_LAYOUT rows|rows-lsb|pages]]
#                   [COMPRESS none|rle|lz4|auto] [PREVIEW <folder>])
#
# Converts many pictures into one pack at build time (quorvane-cli pack) and adds <name>.c to <target>;
# <name>.h (the assets' enum and sizes) and quorvane_decode.h, which plays the pack, are put on
# <target>'s include path. Each of INPUTS is an asset (an animation's frames are one asset), or a folder
# whose pictures are one asset each; each FRAMES folder's pictures are the frames of one asset, DELAY
# milliseconds each; each SHEET picture is cut into tiles, one frame each. The pack is re-made when
# any picture it read changes and when a picture is added to a folder it read (quorvane-cli writes a
# depfile naming them all); an untouched tree rebuilds nothing. PREVIEW writes every frame as the panel
# shows it, <asset>_<frame>.png, into that folder of the build tree.
#
# quorvane_add_font(<target> NAME <name> FONT <file> SIZE <px> [BPP 1|2|4|8] [RANGES <A-B or A>...]
#                   [CHARS <text>] [CHARS_FROM <files>...] [WITH <iconfont>:<ranges>...]
#                   [HINTING none|light|full] [KERNING on|off] [TABULAR_DIGITS] [STRICT]
#                   [DISPLAY <name>] [DEPTH 8|12|16|18|24] [BYTE_ORDER big|little] [INVERT] [BGR]
#                   [MONO [MONO_LAYOUT rows|rows-lsb|pages]] [TARGET pic|arm|avr]
#                   [PREVIEW <file.png> TEXT <text>])
#
# Converts a font at build time (quorvane-cli font) and adds <name>.c to <target>; <name>.h and
# quorvane_decode.h, which draws its text, are put on <target>'s include path. The characters are the
# RANGES, the CHARS and every character of the CHARS_FROM files (the interface's sources, say), printable
# ASCII when none is given. The font is re-made when the font, an icon font or a CHARS_FROM file changes,
# so that a new string in the interface brings its characters in at the next build. PREVIEW draws TEXT
# through the decoder into that PNG of the build tree.
include_guard(GLOBAL)

# Gives ARG_<option> its default when the option is not given, and stops at a word it does not take.
macro(_quorvane_choice option default words said)
    if(NOT ARG_${option})
        set(ARG_${option} ${default})
    endif()
    if(NOT ARG_${option} MATCHES "^(${words})$")
        message(FATAL_ERROR "${CMAKE_CURRENT_FUNCTION}: ${option} must be ${said}, not ${ARG_${option}}")
    endif()
endmacro()

# Passes ARG_<option>, when it is given, on as --<word>, once it matches what the option takes.
macro(_quorvane_pass option word pattern said)
    if(DEFINED ARG_${option})
        if(NOT ARG_${option} MATCHES "^(${pattern})$")
            message(FATAL_ERROR "${CMAKE_CURRENT_FUNCTION}: ${option} must be ${said}, not ${ARG_${option}}")
        endif()
        list(APPEND options --${word} ${ARG_${option}})
    endif()
endmacro()

# Passes each flag given (ARG_<FLAG>) on as --<flag>, its underscores as dashes.
# Within a function that parsed its arguments into ARG_: none left over, and a NAME that is a C identifier.
macro(_quorvane_arguments_and_name function)
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "${function}: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_NAME OR NOT ARG_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
        message(FATAL_ERROR "${function}: NAME must be a C identifier, not '${ARG_NAME}'")
    endif()
endmacro()

macro(_quorvane_flags)
    foreach(flag IN ITEMS ${ARGN})
        if(ARG_${flag})
            string(TOLOWER "${flag}" word)
            string(REPLACE "_" "-" word "${word}")
            list(APPEND options --${word})
        endif()
    endforeach()
endmacro()

# The quorvane-cli to run, and the target to depend on when it is built here.
macro(_quorvane_cli)
    set(cli_dependency)
    if(QUORVANE_CLI)
        set(cli "${QUORVANE_CLI}")
    elseif(TARGET quorvane-cli)
        set(cli "$<TARGET_FILE:quorvane-cli>")
        set(cli_dependency quorvane-cli)
    else()
        find_program(QUORVANE_CLI quorvane-cli HINTS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../../../bin" REQUIRED)
        set(cli "${QUORVANE_CLI}")
    endif()
endmacro()

# quorvane_decode.h, written once for the folder into it, and put with it on the target's include path.
macro(_quorvane_decoder target folder)
    set(decoder "${folder}/quorvane_decode.h")
    get_property(made DIRECTORY PROPERTY QUORVANE_DECODER_MADE)
    if(NOT made)
        add_custom_command(
            OUTPUT "${decoder}"
            COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
            COMMAND "${cli}" decoder "${decoder}"
            DEPENDS ${cli_dependency}
            COMMENT "Writing the picture decoder quorvane_decode.h"
            VERBATIM)
        set_property(DIRECTORY PROPERTY QUORVANE_DECODER_MADE TRUE)
    endif()
    target_sources(${target} PRIVATE "${decoder}")
    target_include_directories(${target} PRIVATE "${folder}")
endmacro()

function(quorvane_add_image target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "INVERT;BGR;MONO"
        "IMAGE;DEPTH;TARGET;DITHER;BACKGROUND;NAME;ROTATE;MIRROR;BYTE_ORDER;COLUMNS;RADIX;HEADER;DISPLAY;PANEL;SIZE_HEADER;FIT;PALETTE;MONO_LAYOUT;COMPRESS"
        "")
    # FIT alone, with no mode after it, fits the whole picture as it always did.
    if("FIT" IN_LIST ARG_KEYWORDS_MISSING_VALUES)
        set(ARG_FIT contain)
    endif()
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "quorvane_add_image: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_IMAGE)
        message(FATAL_ERROR "quorvane_add_image: IMAGE is required")
    endif()
    # A display brings its own default depth: the depth is passed on only when it is given.
    set(depth_default 8)
    if(DEFINED ARG_DISPLAY)
        set(depth_default "")
    endif()
    if(ARG_DEPTH OR NOT DEFINED ARG_DISPLAY)
        _quorvane_choice(DEPTH "${depth_default}" "8|12|16|18|24" "8, 12, 16, 18 or 24")
    endif()
    _quorvane_choice(TARGET pic "pic|arm|avr" "pic, arm or avr")
    _quorvane_choice(DITHER none "none|ordered|fs" "none, ordered or fs")
    _quorvane_choice(BACKGROUND FFFFFF "[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]"
                     "six hex digits RRGGBB")
    _quorvane_choice(ROTATE 0 "0|90|180|270" "0, 90, 180 or 270")
    _quorvane_choice(MIRROR none "none|h|v" "none, h or v")
    _quorvane_choice(RADIX dec "dec|hex" "dec or hex")
    set(options)
    _quorvane_pass(DISPLAY display "[a-z0-9-]+" "a name that quorvane-cli displays lists")
    if(ARG_DEPTH)
        list(APPEND options --depth ${ARG_DEPTH})
    endif()
    _quorvane_pass(PANEL panel "[1-9][0-9]*x[1-9][0-9]*" "WxH, such as 240x320")
    _quorvane_pass(SIZE_HEADER size-header "8|16|none" "8, 16 or none")
    if(DEFINED ARG_FIT)
        _quorvane_choice(FIT contain "contain|cover" "contain or cover")
        # Plain --fit serves an older quorvane-cli too.
        if(ARG_FIT STREQUAL "cover")
            list(APPEND options --fit cover)
        else()
            list(APPEND options --fit)
        endif()
    endif()
    foreach(flag IN ITEMS INVERT BGR)
        if(ARG_${flag})
            string(TOLOWER "${flag}" word)
            list(APPEND options --${word})
        endif()
    endforeach()
    # Only what differs from the defaults goes on the command line, so an older quorvane-cli still serves
    # a build that asks for nothing new.
    if(NOT ARG_ROTATE STREQUAL "0")
        list(APPEND options --rotate ${ARG_ROTATE})
    endif()
    if(NOT ARG_MIRROR STREQUAL "none")
        list(APPEND options --mirror ${ARG_MIRROR})
    endif()
    if(NOT ARG_TARGET STREQUAL "pic")
        list(APPEND options --target ${ARG_TARGET})
    endif()
    if(NOT ARG_RADIX STREQUAL "dec")
        list(APPEND options --radix ${ARG_RADIX})
    endif()
    if(DEFINED ARG_BYTE_ORDER)
        if(NOT ARG_DEPTH STREQUAL "16" AND NOT (DEFINED ARG_DISPLAY AND NOT ARG_DEPTH))
            message(FATAL_ERROR "quorvane_add_image: BYTE_ORDER applies to DEPTH 16 only")
        endif()
        _quorvane_choice(BYTE_ORDER big "big|little" "big or little")
        list(APPEND options --byte-order ${ARG_BYTE_ORDER})
    endif()
    _quorvane_pass(COLUMNS columns "[1-9][0-9]*" "a whole number of at least 1")
    _quorvane_pass(PALETTE palette "2|4|16|256" "2, 4, 16 or 256")
    if(ARG_MONO)
        list(APPEND options --mono)
    endif()
    _quorvane_pass(MONO_LAYOUT mono-layout "rows|rows-lsb|pages" "rows, rows-lsb or pages")
    _quorvane_pass(COMPRESS compress "none|rle|lz4|auto" "none, rle, lz4 or auto")

    _quorvane_cli()

    get_filename_component(image "${ARG_IMAGE}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_filename_component(stem "${image}" NAME_WE)
    # The same picture for two panels gets two sources.
    set(variant ${ARG_DEPTH})
    if(DEFINED ARG_DISPLAY)
        string(REPLACE "-" "_" variant "${ARG_DISPLAY}")
        if(ARG_DEPTH)
            string(APPEND variant "_${ARG_DEPTH}")
        endif()
    endif()
    foreach(choice IN ITEMS PANEL SIZE_HEADER)
        if(DEFINED ARG_${choice})
            string(APPEND variant "_${ARG_${choice}}")
        endif()
    endforeach()
    if(ARG_FIT STREQUAL "cover")
        string(APPEND variant "_cover")
    endif()
    get_filename_component(extension "${image}" LAST_EXT)
    string(TOLOWER "${extension}" extension)
    if(NOT extension STREQUAL ".bmp") # logo.bmp and logo.png each get their own source
        string(REPLACE "." "_" extension "${extension}")
        string(APPEND variant "${extension}")
    endif()
    if(NOT ARG_DITHER STREQUAL "none")
        string(APPEND variant "_${ARG_DITHER}")
    endif()
    if(NOT ARG_ROTATE STREQUAL "0")
        string(APPEND variant "_r${ARG_ROTATE}")
    endif()
    if(NOT ARG_MIRROR STREQUAL "none")
        string(APPEND variant "_m${ARG_MIRROR}")
    endif()
    foreach(flag IN ITEMS INVERT BGR)
        if(ARG_${flag})
            string(TOLOWER "_${flag}" word)
            string(APPEND variant "${word}")
        endif()
    endforeach()
    if(ARG_BYTE_ORDER STREQUAL "little")
        string(APPEND variant "_le")
    endif()
    foreach(choice IN ITEMS PALETTE MONO_LAYOUT COMPRESS)
        if(DEFINED ARG_${choice})
            string(TOLOWER "_${choice}${ARG_${choice}}" word)
            string(REPLACE "-" "_" word "${word}")
            string(APPEND variant "${word}")
        endif()
    endforeach()
    if(ARG_MONO)
        string(APPEND variant "_mono")
    endif()
    set(folder "${CMAKE_CURRENT_BINARY_DIR}/quorvane")
    set(source "${folder}/${target}_${stem}_${variant}.c")
    set(name_option)
    if(DEFINED ARG_NAME)
        set(name_option --name "${ARG_NAME}")
    endif()
    set(outputs "${source}")
    set(header_folder)
    if(DEFINED ARG_HEADER)
        get_filename_component(header "${ARG_HEADER}" ABSOLUTE BASE_DIR "${folder}")
        get_filename_component(header_folder "${header}" DIRECTORY)
        list(APPEND outputs "${header}")
        list(APPEND options --header "${header}")
        target_include_directories(${target} PRIVATE "${header_folder}")
    endif()

    # The decoder's header, wherever a picture is stored in fewer bytes.
    if(DEFINED ARG_PALETTE OR ARG_MONO OR DEFINED ARG_COMPRESS)
        _quorvane_decoder(${target} "${folder}")
    endif()

    add_custom_command(
        OUTPUT ${outputs}
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}" ${header_folder}
        COMMAND "${cli}" code --dither ${ARG_DITHER} ${options}
                --background ${ARG_BACKGROUND} ${name_option} --output "${source}" "${image}"
        DEPENDS "${image}" ${cli_dependency}
        COMMENT "Converting ${stem} to a C array (${variant})"
        VERBATIM)
    target_sources(${target} PRIVATE "${source}")
endfunction()

function(quorvane_add_pack target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "INVERT;BGR;MONO;SHARED_PALETTE"
        "NAME;DISPLAY;DEPTH;PANEL;BACKGROUND;ROTATE;MIRROR;BYTE_ORDER;DITHER;TARGET;PALETTE;MONO_LAYOUT;COMPRESS;DELAY;PREVIEW;FIT"
        "INPUTS;FRAMES;SHEET")
    if("FIT" IN_LIST ARG_KEYWORDS_MISSING_VALUES)
        set(ARG_FIT contain)
    endif()
    _quorvane_arguments_and_name(quorvane_add_pack)
    if(NOT ARG_INPUTS AND NOT ARG_FRAMES AND NOT ARG_SHEET)
        message(FATAL_ERROR "quorvane_add_pack: give INPUTS, FRAMES or SHEET")
    endif()
    set(options)
    _quorvane_pass(DISPLAY display "[a-z0-9-]+" "a name that quorvane-cli displays lists")
    _quorvane_pass(DEPTH depth "8|12|16|18|24" "8, 12, 16, 18 or 24")
    _quorvane_pass(PANEL panel "[1-9][0-9]*x[1-9][0-9]*" "WxH, such as 240x320")
    _quorvane_pass(BACKGROUND background "[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]" "six hex digits RRGGBB")
    _quorvane_pass(ROTATE rotate "0|90|180|270" "0, 90, 180 or 270")
    _quorvane_pass(MIRROR mirror "none|h|v" "none, h or v")
    _quorvane_pass(BYTE_ORDER byte-order "big|little" "big or little")
    _quorvane_pass(DITHER dither "none|ordered|fs" "none, ordered or fs")
    _quorvane_pass(TARGET target "pic|arm|avr" "pic, arm or avr")
    _quorvane_pass(PALETTE palette "2|4|16|256" "2, 4, 16 or 256")
    _quorvane_pass(MONO_LAYOUT mono-layout "rows|rows-lsb|pages" "rows, rows-lsb or pages")
    _quorvane_pass(COMPRESS compress "none|rle|lz4|auto" "none, rle, lz4 or auto")
    if(DEFINED ARG_FIT)
        _quorvane_choice(FIT contain "contain|cover" "contain or cover")
        list(APPEND options --fit ${ARG_FIT})
    endif()
    _quorvane_flags(INVERT BGR MONO SHARED_PALETTE)

    # The inputs, absolute, in the order given: plain inputs, then the frame folders, then the sheets.
    set(inputs)
    foreach(input IN LISTS ARG_INPUTS)
        get_filename_component(input "${input}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        list(APPEND inputs "${input}")
    endforeach()
    foreach(folder IN LISTS ARG_FRAMES)
        get_filename_component(folder "${folder}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        if(DEFINED ARG_DELAY)
            list(APPEND inputs --delay ${ARG_DELAY})
        endif()
        list(APPEND inputs --frames "${folder}")
    endforeach()
    list(LENGTH ARG_SHEET count)
    math(EXPR odd "${count} % 2")
    if(odd)
        message(FATAL_ERROR "quorvane_add_pack: SHEET takes a tile size and a picture: SHEET 16x16 sprites.png")
    endif()
    while(ARG_SHEET)
        list(POP_FRONT ARG_SHEET tile picture)
        if(NOT tile MATCHES "^[1-9][0-9]*x[1-9][0-9]*$")
            message(FATAL_ERROR "quorvane_add_pack: SHEET's tile must be WxH, not ${tile}")
        endif()
        get_filename_component(picture "${picture}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        list(APPEND inputs --sheet ${tile} "${picture}")
    endwhile()

    _quorvane_cli()
    set(folder "${CMAKE_CURRENT_BINARY_DIR}/quorvane")
    set(source "${folder}/${ARG_NAME}.c")
    set(header "${folder}/${ARG_NAME}.h")
    set(depfile "${folder}/${ARG_NAME}.d")
    set(preview)
    set(make_preview)
    if(DEFINED ARG_PREVIEW)
        get_filename_component(preview_folder "${ARG_PREVIEW}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
        set(preview --preview "${preview_folder}")
        set(make_preview "${preview_folder}")
    endif()
    # The pack's header includes quorvane_decode.h.
    _quorvane_decoder(${target} "${folder}")
    add_custom_command(
        OUTPUT "${source}" "${header}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}" ${make_preview}
        COMMAND "${cli}" pack --quiet ${options} --name ${ARG_NAME} --output "${source}" --header "${header}"
                ${preview} --depfile "${depfile}" ${inputs}
        DEPENDS ${cli_dependency}
        DEPFILE "${depfile}"
        COMMENT "Packing ${ARG_NAME}"
        VERBATIM)
    target_sources(${target} PRIVATE "${source}" "${header}")
endfunction()

function(quorvane_add_font target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "INVERT;BGR;MONO;TABULAR_DIGITS;STRICT"
        "NAME;FONT;SIZE;BPP;CHARS;HINTING;KERNING;DISPLAY;DEPTH;BYTE_ORDER;MONO_LAYOUT;TARGET;PREVIEW;TEXT"
        "RANGES;CHARS_FROM;WITH")
    _quorvane_arguments_and_name(quorvane_add_font)
    if(NOT ARG_FONT)
        message(FATAL_ERROR "quorvane_add_font: FONT is required")
    endif()
    if(NOT ARG_SIZE MATCHES "^[1-9][0-9]*$")
        message(FATAL_ERROR "quorvane_add_font: SIZE must be the font's size in pixels, not '${ARG_SIZE}'")
    endif()
    if(DEFINED ARG_PREVIEW AND NOT DEFINED ARG_TEXT)
        message(FATAL_ERROR "quorvane_add_font: PREVIEW draws TEXT: give both")
    endif()
    set(options --size ${ARG_SIZE})
    _quorvane_pass(BPP bpp "1|2|4|8" "1, 2, 4 or 8")
    _quorvane_pass(HINTING hinting "none|light|full" "none, light or full")
    _quorvane_pass(KERNING kerning "on|off" "on or off")
    _quorvane_pass(DISPLAY display "[a-z0-9-]+" "a name that quorvane-cli displays lists")
    _quorvane_pass(DEPTH depth "8|12|16|18|24" "8, 12, 16, 18 or 24")
    _quorvane_pass(BYTE_ORDER byte-order "big|little" "big or little")
    _quorvane_pass(MONO_LAYOUT mono-layout "rows|rows-lsb|pages" "rows, rows-lsb or pages")
    _quorvane_pass(TARGET target "pic|arm|avr" "pic, arm or avr")
    _quorvane_flags(INVERT BGR MONO TABULAR_DIGITS STRICT)
    foreach(range IN LISTS ARG_RANGES)
        list(APPEND options --range ${range})
    endforeach()
    if(DEFINED ARG_CHARS)
        list(APPEND options --chars "${ARG_CHARS}")
    endif()
    foreach(file IN LISTS ARG_CHARS_FROM)
        get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        list(APPEND options --chars-from "${file}")
    endforeach()
    foreach(icons IN LISTS ARG_WITH)
        if(NOT icons MATCHES "^(.+):([^:]+)$")
            message(FATAL_ERROR "quorvane_add_font: WITH must be ICONFONT:RANGES, not ${icons}")
        endif()
        get_filename_component(icon_font "${CMAKE_MATCH_1}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        list(APPEND options --with "${icon_font}:${CMAKE_MATCH_2}")
    endforeach()
    get_filename_component(font "${ARG_FONT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")

    _quorvane_cli()
    set(folder "${CMAKE_CURRENT_BINARY_DIR}/quorvane")
    set(source "${folder}/${ARG_NAME}.c")
    set(header "${folder}/${ARG_NAME}.h")
    set(depfile "${folder}/${ARG_NAME}.d")
    set(outputs "${source}" "${header}")
    if(DEFINED ARG_PREVIEW)
        get_filename_component(preview "${ARG_PREVIEW}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
        list(APPEND options --preview "${preview}" --text "${ARG_TEXT}")
        list(APPEND outputs "${preview}")
    endif()
    # The font's header includes quorvane_decode.h.
    _quorvane_decoder(${target} "${folder}")
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
        COMMAND "${cli}" font "${font}" ${options} --name ${ARG_NAME} --output "${source}" --header "${header}"
                --depfile "${depfile}"
        DEPENDS ${cli_dependency}
        DEPFILE "${depfile}"
        COMMENT "Converting the font ${ARG_NAME}"
        VERBATIM)
    target_sources(${target} PRIVATE "${source}" "${header}")
endfunction()
