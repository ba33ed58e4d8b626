# The payload key of the device protocol is derived from two protocol constants that every
# peer (the utility, the device simulator, the tests) must share. They live here, in one place,
# and reach the code through the generated header protocol_key_config.h.
#
#   CPE_KEY_SEED  64-bit seed the key derivation starts from (hexadecimal)
#   CPE_KEY_TEXT  9-character ASCII text folded into the seed
#
# Changing either changes the key on the wire for every peer built from this tree.
set(CPE_KEY_SEED "0x4F5256414E41424C" CACHE STRING "64-bit seed of the payload key derivation")
set(CPE_KEY_TEXT "Brimlink9" CACHE STRING "9-character text folded into the payload key seed")

string(LENGTH "${CPE_KEY_TEXT}" _cpe_key_len)
if(NOT _cpe_key_len EQUAL 9)
  message(FATAL_ERROR "CPE_KEY_TEXT must be exactly 9 characters, got '${CPE_KEY_TEXT}'")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/protocol_key_config.h.in
               ${CMAKE_BINARY_DIR}/generated/protocol_key_config.h @ONLY)
