# The launcher program, QuorlLauncher.exe: its one application object and
# its resources over the application's library, which links every folder's
# targets.
set(QUORL_BIN_DIR ${CMAKE_BINARY_DIR}/bin CACHE INTERNAL "")

# The program's one application object over the application's library.
# The program links it, and so does a test program that runs the launcher's
# own application.
add_library(quorl_launcher INTERFACE)
target_sources(quorl_launcher INTERFACE ${CMAKE_SOURCE_DIR}/app/launcher_main.cpp)
target_link_libraries(quorl_launcher INTERFACE quorl_app)
# The launcher runs the whole update sequence: its end-to-end tests apply.
set_property(GLOBAL PROPERTY QUORL_LAUNCHER_RUNS_UPDATES ON)

# The default localisation record: code page 949, profile "Quorl".
set(QUORL_DEFAULT_CODEPAGE 949)
set(QUORL_DEFAULT_PROFILE Quorl)
set(QUORL_LOCALIZE_BIN ${CMAKE_BINARY_DIR}/res/localize.bin)
if(NOT QUORL_HOST_TOOLS)
  message(FATAL_ERROR "The cross build needs QUORL_HOST_TOOLS (the native build's tools folder)")
endif()
add_custom_command(OUTPUT ${QUORL_LOCALIZE_BIN}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/res
  COMMAND ${QUORL_HOST_TOOLS}/mkid/mkid --codepage ${QUORL_DEFAULT_CODEPAGE}
          --profile ${QUORL_DEFAULT_PROFILE} --nul -o ${QUORL_LOCALIZE_BIN}
  DEPENDS ${QUORL_HOST_TOOLS}/mkid/mkid
  COMMENT "Writing the default localisation record"
  VERBATIM)
configure_file(${CMAKE_SOURCE_DIR}/res/localize.rc.in ${CMAKE_BINARY_DIR}/res/localize.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/res/localize.rc PROPERTIES
  OBJECT_DEPENDS ${QUORL_LOCALIZE_BIN})

function(quorl_launcher_exe name)
  add_executable(${name} WIN32 ${ARGN})
  # The localisation record's script takes its id from resource.h.
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/res)
  target_link_libraries(${name} PRIVATE quorl_launcher quorl_fw_winmain quorl_res)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUORL_BIN_DIR})
endfunction()

quorl_launcher_exe(QuorlLauncher ${CMAKE_BINARY_DIR}/res/localize.rc)
# The product must be PE32 for i386 (PE32+ in the x86_64 test build) and
# import only Windows' own DLLs: checked when it is linked, on every machine.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(QUORL_PE_FORMAT pei-x86-64)
else()
  set(QUORL_PE_FORMAT pei-i386)
endif()
add_custom_command(TARGET QuorlLauncher POST_BUILD
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/check-pe.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:QuorlLauncher> ${QUORL_PE_FORMAT}
  VERBATIM)
# The same program without a built-in localisation record, for the tests of
# what happens when neither the id file nor the resource gives one.
quorl_launcher_exe(QuorlLauncher_noid)

# The skin beside the program.
add_custom_command(OUTPUT ${QUORL_BIN_DIR}/QuorlLnchr.rdl
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/QuorlLnchr.rdl ${QUORL_BIN_DIR}/QuorlLnchr.rdl
  DEPENDS ${CMAKE_BINARY_DIR}/QuorlLnchr.rdl quorl_skin_file
  VERBATIM)
add_custom_target(quorl_bin_skin ALL DEPENDS ${QUORL_BIN_DIR}/QuorlLnchr.rdl)
