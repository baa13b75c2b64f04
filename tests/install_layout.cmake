# Installs the build twice into one folder: the first places the sample
# codes in Codes; the second keeps a code the user changed and one added.
set(prefix "${WORK}/install-layout")
file(REMOVE_RECURSE "${prefix}")
foreach(round 1 2)
    execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    if(round EQUAL 1)
        set(changed "${prefix}/Codes/8051串口初始化及收发字节.cod")
        if(NOT EXISTS "${changed}")
            message(FATAL_ERROR "the first installation placed no sample codes")
        endif()
        file(WRITE "${changed}" "edited")
        file(WRITE "${prefix}/Codes/added.cod" "added")
    endif()
endforeach()
file(READ "${changed}" text)
if(NOT text STREQUAL "edited" OR NOT EXISTS "${prefix}/Codes/added.cod")
    message(FATAL_ERROR "the second installation changed the library")
endif()
# The command-line tool beside the program, its manual page and its
# completion where man and bash-completion look under the prefix.
foreach(installed quillbank-cli share/man/man1/quillbank-cli.1
        share/bash-completion/completions/quillbank-cli)
    if(NOT EXISTS "${prefix}/${installed}")
        message(FATAL_ERROR "${installed} is not installed")
    endif()
endforeach()
execute_process(COMMAND "${prefix}/quillbank-cli" list RESULT_VARIABLE status OUTPUT_VARIABLE listed)
if(NOT status EQUAL 0 OR NOT listed MATCHES "16位无符号整数开平方（8086）\t运算子程序")
    message(FATAL_ERROR "the installed quillbank-cli does not list the sample library")
endif()
