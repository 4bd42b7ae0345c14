# Downloads: CRC-32, the download settings' rules (neutral, both builds),
# and the WinINet session with the registry side of the settings (Win32).
find_package(ZLIB REQUIRED)
add_library(quorl_download_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/crc32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_rules.cpp)
target_include_directories(quorl_download_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(quorl_download_core PUBLIC quorl_fw_core ZLIB::ZLIB)

if(WIN32)
  add_library(quorl_download STATIC
    ${CMAKE_CURRENT_LIST_DIR}/download_setting_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/http_session_win.cpp)
  target_link_libraries(quorl_download PUBLIC quorl_download_core quorl_fw wininet shlwapi shell32 advapi32)
endif()
