# Install step: fills a missing or empty library folder Codes with the
# sample codes. A library that holds anything is left exactly as it is.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(GLOB entries LIST_DIRECTORIES true "${root}/Codes/*")
if(entries)
    message(STATUS "Kept the library: ${root}/Codes")
    return()
endif()
file(MAKE_DIRECTORY "${root}/Codes")
file(COPY "${root}/samples/" DESTINATION "${root}/Codes")
message(STATUS "Placed the sample library: ${root}/Codes")
