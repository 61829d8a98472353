# The registry, the shell and the known folders come from Windows' own libraries.
target_link_libraries(zep_platform PUBLIC advapi32 shell32 ole32)
