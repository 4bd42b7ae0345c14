# libcrypto.  The product calls its BIGNUM functions only (the engine's key
# exchange); the tests also use its Blowfish, AES, SEED and DH as
# independent oracles.
#   quorl_crypto       libcrypto itself
#   quorl_test_crypto  libcrypto for test oracles (deprecated low-level
#                      calls allowed)
if(WIN32)
  # The cached static mingw build; a static libcrypto needs these system
  # libraries after it.
  add_library(quorl_crypto STATIC IMPORTED GLOBAL)
  set_target_properties(quorl_crypto PROPERTIES
    IMPORTED_LOCATION ${QUORL_OPENSSL_PREFIX}/lib/libcrypto.a
    INTERFACE_INCLUDE_DIRECTORIES ${QUORL_OPENSSL_PREFIX}/include
    INTERFACE_LINK_LIBRARIES "ws2_32;gdi32;crypt32")
else()
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  add_library(quorl_crypto INTERFACE)
  target_link_libraries(quorl_crypto INTERFACE OpenSSL::Crypto)
endif()

add_library(quorl_test_crypto INTERFACE)
target_link_libraries(quorl_test_crypto INTERFACE quorl_crypto)
target_compile_definitions(quorl_test_crypto INTERFACE OPENSSL_SUPPRESS_DEPRECATED)
