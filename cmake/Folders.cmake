# Each folder is one library, and it publishes only its own folder as an include root. Headers are
# included as "codegen/reduce.h", so the root of folder F is a directory holding one link named F that
# points at the source folder: a target sees "F/..." only for the folders it links, and an include that
# runs the wrong way (app/ reaching into ui/) fails to compile instead of waiting for a review.
function(quorvane_folder_library target)
    add_library(${target} ${ARGN})
    _quorvane_folder_root(root)
    target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${root}>")
    target_link_libraries(${target} PRIVATE quorvane_warnings)
endfunction()

# A folder of headers alone, by the same rule.
function(quorvane_folder_headers target)
    add_library(${target} INTERFACE)
    _quorvane_folder_root(root)
    target_include_directories(${target} INTERFACE "$<BUILD_INTERFACE:${root}>")
endfunction()

# The include root of the current folder: a directory holding one link, named as the folder, to it.
function(_quorvane_folder_root result)
    get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
    set(root "${PROJECT_BINARY_DIR}/include-roots/${folder}")
    file(MAKE_DIRECTORY "${root}")
    file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
    set(${result} "${root}" PARENT_SCOPE)
endfunction()
