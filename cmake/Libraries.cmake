# The picture and compression libraries, each as one target that a program takes as Debian's shared
# library, or, when the program sets QUORVANE_STATIC_LIBRARIES, as Debian's static archive of the same
# library. quorvane-cli does: loading seven shared libraries cost each run more than a millisecond before
# it read its picture, a third of the time of a small one. The window keeps the shared ones, which Qt
# loads too (two copies of libpng in one process would be one too many).
#   quorvane_library(<name> SHARED <imported target> ARCHIVE <file name> [NEEDS <quorvane_lib_x>...])
function(quorvane_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "SHARED;ARCHIVE" "NEEDS")
    add_library(quorvane_lib_${name} INTERFACE)
    find_library(QUORVANE_${name}_ARCHIVE NAMES ${arg_ARCHIVE})
    mark_as_advanced(QUORVANE_${name}_ARCHIVE)
    if(QUORVANE_${name}_ARCHIVE)
        set(static "$<BOOL:$<TARGET_PROPERTY:QUORVANE_STATIC_LIBRARIES>>")
        target_link_libraries(quorvane_lib_${name} INTERFACE
            "$<$<NOT:${static}>:${arg_SHARED}>" "$<${static}:${QUORVANE_${name}_ARCHIVE}>")
        # An archive brings its code but not its headers' place, nor what it needs.
        target_include_directories(quorvane_lib_${name} SYSTEM INTERFACE
            "$<${static}:$<TARGET_PROPERTY:${arg_SHARED},INTERFACE_INCLUDE_DIRECTORIES>>")
    else()
        target_link_libraries(quorvane_lib_${name} INTERFACE ${arg_SHARED})
    endif()
    target_link_libraries(quorvane_lib_${name} INTERFACE ${arg_NEEDS})
endfunction()

find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(EXIF REQUIRED IMPORTED_TARGET libexif)
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp)
pkg_check_modules(WEBPDEMUX REQUIRED IMPORTED_TARGET libwebpdemux)
pkg_check_modules(LZ4 REQUIRED IMPORTED_TARGET liblz4)
find_library(QUORVANE_MATH_LIBRARY m)

quorvane_library(zlib SHARED ZLIB::ZLIB ARCHIVE libz.a)
quorvane_library(png SHARED PNG::PNG ARCHIVE libpng16.a NEEDS quorvane_lib_zlib ${QUORVANE_MATH_LIBRARY})
quorvane_library(jpeg SHARED JPEG::JPEG ARCHIVE libjpeg.a)
quorvane_library(gif SHARED GIF::GIF ARCHIVE libgif.a)
quorvane_library(exif SHARED PkgConfig::EXIF ARCHIVE libexif.a NEEDS ${QUORVANE_MATH_LIBRARY})
quorvane_library(webp SHARED PkgConfig::WEBP ARCHIVE libwebp.a NEEDS ${QUORVANE_MATH_LIBRARY})
quorvane_library(webpdemux SHARED PkgConfig::WEBPDEMUX ARCHIVE libwebpdemux.a NEEDS quorvane_lib_webp)
quorvane_library(lz4 SHARED PkgConfig::LZ4 ARCHIVE liblz4.a)
