# The program that draws the banner, the splash picture and the icon.
# Its output is committed under ui/pictures and compiled into nc_ui as
# resources; rebuild the pictures with the target nc-update-pictures.
add_executable(nc-draw-pictures ${CMAKE_SOURCE_DIR}/tools/draw_pictures.cpp)
target_link_libraries(nc-draw-pictures PRIVATE Qt6::Gui)

add_custom_target(nc-update-pictures
  COMMAND nc-draw-pictures ${CMAKE_SOURCE_DIR}/ui/pictures
  COMMENT "Drawing ui/pictures/banner.png, splash.png and icon.png"
  VERBATIM)
