# Stand-in for Qt 6.4's package on Windows: its version, and qt_generate_deploy_app_script with
# the arguments Qt 6.4 takes, whose script checks that it runs after the executable is installed
# and leaves a qt.conf and a stand-in Qt6Core.dll where windeployqt would put Qt.
set(Qt6_VERSION 6.4.2)
set(Qt6_FOUND TRUE)

function(qt_generate_deploy_app_script)
  cmake_parse_arguments(PARSE_ARGV 0 arg "NO_UNSUPPORTED_PLATFORM_ERROR"
                        "TARGET;FILENAME_VARIABLE" "")
  if(arg_UNPARSED_ARGUMENTS OR NOT arg_TARGET OR NOT arg_FILENAME_VARIABLE)
    message(FATAL_ERROR "qt_generate_deploy_app_script (Qt 6.4): unexpected arguments ${ARGV}")
  endif()
  set(script ${CMAKE_BINARY_DIR}/.qt/deploy_${arg_TARGET}.cmake)
  file(GENERATE OUTPUT ${script} CONTENT "
set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
if(NOT EXISTS \"\${bin}/$<TARGET_FILE_NAME:${arg_TARGET}>\")
  message(FATAL_ERROR \"deploy: \${bin}/$<TARGET_FILE_NAME:${arg_TARGET}> is not installed yet\")
endif()
file(WRITE \"\${bin}/qt.conf\" \"[Paths]\\nPrefix = .\\n\")
file(WRITE \"\${bin}/Qt6Core.dll\" \"stand-in\\n\")
")
  set(${arg_FILENAME_VARIABLE} ${script} PARENT_SCOPE)
endfunction()
