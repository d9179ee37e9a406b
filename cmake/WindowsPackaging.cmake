# What the Windows package holds of the build; scripts/windows.sh adds the Qt, libcurl,
# libssh2 and compiler run-time DLLs and the Qt plugins, then makes the installer.
install(TARGETS quorvane quorvane-cli RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/res/windows/quorvane.ico DESTINATION .)
if(QV_QM_FILES)
    install(FILES ${QV_QM_FILES} DESTINATION translations)
endif()
