# Installs the build twice into one folder: the first places the sample
# codes in Codes; the second keeps a code the user changed and one added.
set(prefix "${WORK}/install-layout")
file(REMOVE_RECURSE "${prefix}")
foreach(round 1 2)
    execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    if(round EQUAL 1)
        file(GLOB codes "${prefix}/Codes/*.cod")
        list(GET codes 0 changed)
        file(WRITE "${changed}" "edited")
        file(WRITE "${prefix}/Codes/added.cod" "added")
    endif()
endforeach()
file(READ "${changed}" text)
if(NOT text STREQUAL "edited" OR NOT EXISTS "${prefix}/Codes/added.cod")
    message(FATAL_ERROR "the second installation changed the library")
endif()
