# Copies SOURCE to DESTINATION only when DESTINATION does not exist yet, so a
# file the user has changed there (results saved into the systems database)
# survives every rebuild.
if(NOT EXISTS "${DESTINATION}")
    file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
