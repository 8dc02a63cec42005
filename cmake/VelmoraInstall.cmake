# The install step: the application bundle keeps its layout (TidyWorker in
# its resources, where Velmora looks for it), and a polkit action names the
# installed TidyWorker, so that pkexec asks for an administrator's password
# with Velmora's own message. polkit reads actions from
# /usr/share/polkit-1/actions only: with another prefix, point
# VELMORA_POLKIT_ACTIONS_DIR there (an absolute path).
include(GNUInstallDirs)

set(VELMORA_INSTALL_BUNDLE_DIR "${CMAKE_INSTALL_LIBDIR}/velmora"
    CACHE STRING "Folder, below the prefix, that receives Velmora.app")
set(VELMORA_POLKIT_ACTIONS_DIR "${CMAKE_INSTALL_DATADIR}/polkit-1/actions"
    CACHE STRING "Folder that receives the polkit action of TidyWorker")

# The action holds the worker's final path, so it follows the prefix set when
# configuring (not one given to cmake --install later).
if(IS_ABSOLUTE "${VELMORA_INSTALL_BUNDLE_DIR}")
    set(VELMORA_INSTALLED_BUNDLE "${VELMORA_INSTALL_BUNDLE_DIR}/Velmora.app")
else()
    set(VELMORA_INSTALLED_BUNDLE "${CMAKE_INSTALL_PREFIX}/${VELMORA_INSTALL_BUNDLE_DIR}/Velmora.app")
endif()
set(VELMORA_INSTALLED_WORKER "${VELMORA_INSTALLED_BUNDLE}/Contents/Resources/TidyWorker")
set(VELMORA_POLKIT_ACTION ${CMAKE_BINARY_DIR}/com.quillfen.velmora.tidyworker.policy)
configure_file(${PROJECT_SOURCE_DIR}/Worker/polkit/com.quillfen.velmora.tidyworker.policy.in
    ${VELMORA_POLKIT_ACTION} @ONLY)

install(DIRECTORY ${VELMORA_BUNDLE_DIR} DESTINATION ${VELMORA_INSTALL_BUNDLE_DIR} USE_SOURCE_PERMISSIONS)
install(FILES ${VELMORA_POLKIT_ACTION} DESTINATION ${VELMORA_POLKIT_ACTIONS_DIR})
