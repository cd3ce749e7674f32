# SPDX-License-Identifier: MIT
# The program that draws the banner, the splash picture and the icon.
# Its output is committed under ui/pictures and compiled into nc_ui as
# resources; rebuild the pictures with the target nc-update-pictures.
add_executable(nc-draw-pictures ${CMAKE_SOURCE_DIR}/tools/draw_pictures.cpp)
target_link_libraries(nc-draw-pictures PRIVATE Qt6::Gui)

add_custom_target(nc-update-pictures
  COMMAND nc-draw-pictures ${CMAKE_SOURCE_DIR}/ui/pictures
  COMMENT "Drawing ui/pictures/banner.png, splash.png and icon.png"
  VERBATIM)

# The icon theme's pictures are drawn at build time, one per size, and
# installed into the hicolor theme under the program's id.
include(GNUInstallDirs)
set(NC_ICON_SIZES 16 22 24 32 48 64 128 256)
set(NC_THEME_ICONS_DIR ${CMAKE_BINARY_DIR}/icons CACHE INTERNAL "")
set(nc_theme_icons)
foreach(size IN LISTS NC_ICON_SIZES)
  list(APPEND nc_theme_icons ${NC_THEME_ICONS_DIR}/${size}x${size}/apps/${NEUROCONTROL_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${nc_theme_icons}
  COMMAND nc-draw-pictures --icons ${NC_THEME_ICONS_DIR} ${NEUROCONTROL_APP_ID}
  DEPENDS nc-draw-pictures
  COMMENT "Drawing the theme icons"
  VERBATIM)
add_custom_target(nc-theme-icons ALL DEPENDS ${nc_theme_icons})
foreach(size IN LISTS NC_ICON_SIZES)
  install(FILES ${NC_THEME_ICONS_DIR}/${size}x${size}/apps/${NEUROCONTROL_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

install(TARGETS neurocontrol-trace RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
