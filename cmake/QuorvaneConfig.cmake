# find_package(Quorvane) gives quorvane_add_image, exactly as include(Quorvane) does.
include("${CMAKE_CURRENT_LIST_DIR}/Quorvane.cmake")
