# Driver libraries are loaded with dlopen.
target_link_libraries(zep_platform PUBLIC ${CMAKE_DL_LIBS})
