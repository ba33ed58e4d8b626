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
# The one-byte key itself, for what the build writes for other programs (the Wireshark dissector).
# Only the low byte of the fold reaches the key: the seed's low byte XOR-ed with each character
# OR-ed with 0x80. The generated header holds it too, and the C++ derivation is checked against it
# at compile time, so the two can never differ.
string(REGEX MATCH "[0-9A-Fa-f][0-9A-Fa-f]$" _cpe_seed_low "${CPE_KEY_SEED}")
math(EXPR CPE_KEY_BYTE "0x${_cpe_seed_low}")
string(HEX "${CPE_KEY_TEXT}" _cpe_key_hex)
string(REGEX MATCHALL ".." _cpe_key_chars "${_cpe_key_hex}")
foreach(_cpe_char IN LISTS _cpe_key_chars)
  math(EXPR CPE_KEY_BYTE "${CPE_KEY_BYTE} ^ (0x${_cpe_char} | 0x80)")
endforeach()
math(EXPR CPE_KEY_BYTE_HEX "${CPE_KEY_BYTE}" OUTPUT_FORMAT HEXADECIMAL)

configure_file(${CMAKE_CURRENT_LIST_DIR}/protocol_key_config.h.in
               ${CMAKE_BINARY_DIR}/generated/protocol_key_config.h @ONLY)

# The Wireshark dissector carries the same key (installed by cmake/Install.cmake).
set(CPE_DISSECTOR ${CMAKE_BINARY_DIR}/wireshark/cpe-manager.lua)
configure_file(${PROJECT_SOURCE_DIR}/wireshark/cpe-manager.lua.in ${CPE_DISSECTOR} @ONLY)
