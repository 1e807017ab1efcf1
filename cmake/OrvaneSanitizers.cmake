# ORVANE_SANITIZE=address builds everything with ASan + UBSan, no recovery;
# ORVANE_SANITIZE=thread with TSan.
if(ORVANE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(ORVANE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ORVANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ORVANE_SANITIZE must be empty, 'address' or 'thread'")
endif()
