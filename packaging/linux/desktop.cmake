# The desktop entry and the application icon of the Qt front end, installed
# with the program (included by ui/qt/CMakeLists.txt, which draws the icons
# into ORVANE_ICON_DIR, one orvane-<size>.png per size in ORVANE_ICON_SIZES).
include(GNUInstallDirs)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/orvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(ORVANE_ICON_FILES)
  foreach(size ${ORVANE_ICON_SIZES})
    install(FILES ${ORVANE_ICON_DIR}/orvane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME orvane.png)
  endforeach()
endif()
