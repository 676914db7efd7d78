# Windows release package: `cmake --build --preset win64 --target package`
# writes a ZIP with the plug-in files of both Windows ABIs, the user guide
# and the licence.
#
# The other ABI's files come from its own build tree (LENTARA_WIN32_BUILD_DIR,
# the `win32` preset's folder by default). At packaging time that tree is
# configured if it has never been, and its module targets are brought up to
# date, so the package always holds matching 64- and 32-bit files.
set(LENTARA_WIN32_BUILD_DIR "${PROJECT_SOURCE_DIR}/build/win32" CACHE PATH
    "Build tree of the 32-bit Windows preset whose modules go into the package")

lentara_plugin_modules(lentara_modules)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  install(TARGETS ${lentara_modules} LIBRARY DESTINATION plugins/win64 RUNTIME DESTINATION plugins/win64
          COMPONENT plugins)

  # The 32-bit files: the same targets in the other tree, at the same
  # relative folders, named <base>32.p.
  set(other ${LENTARA_WIN32_BUILD_DIR})
  set(files)
  foreach(m IN LISTS lentara_modules)
    get_target_property(dir ${m} BINARY_DIR)
    get_target_property(base ${m} LENTARA_PLUGIN_BASE)
    file(RELATIVE_PATH rel ${PROJECT_BINARY_DIR} ${dir})
    list(APPEND files "${other}/${rel}/${base}32.p")
  endforeach()
  install(CODE "
    if(NOT EXISTS \"${other}/CMakeCache.txt\")
      message(STATUS \"Configuring the 32-bit build in ${other}\")
      execute_process(COMMAND \"${CMAKE_COMMAND}\" -S \"${PROJECT_SOURCE_DIR}\" -B \"${other}\" -G \"${CMAKE_GENERATOR}\"
                        --toolchain \"${PROJECT_SOURCE_DIR}/cmake/toolchains/mingw-w64-i686.cmake\"
                        -DCMAKE_BUILD_TYPE=Release -DLENTARA_CROSS_HOST=OFF
                      RESULT_VARIABLE rc)
      if(rc)
        message(FATAL_ERROR \"configuring the 32-bit build failed\")
      endif()
    endif()
    execute_process(COMMAND \"${CMAKE_COMMAND}\" --build \"${other}\" --target ${lentara_modules} RESULT_VARIABLE rc)
    if(rc)
      message(FATAL_ERROR \"building the 32-bit modules failed\")
    endif()
    file(INSTALL ${files} DESTINATION \"\${CMAKE_INSTALL_PREFIX}/plugins/win32\")
  " COMPONENT plugins)
else()
  install(TARGETS ${lentara_modules} LIBRARY DESTINATION plugins/win32 RUNTIME DESTINATION plugins/win32
          COMPONENT plugins)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT plugins)
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION docs COMPONENT plugins)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION docs COMPONENT plugins OPTIONAL
        FILES_MATCHING PATTERN "*.png")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME VantorLentara)
set(CPACK_PACKAGE_VENDOR "Vantor Lentara developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME windows)
set(CPACK_PACKAGE_FILE_NAME "VantorLentara-${PROJECT_VERSION}-windows")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Camera types for LightWave 3D Layout")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_COMPONENTS_ALL plugins)
include(CPack)
