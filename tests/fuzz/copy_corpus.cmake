# Gives each fuzzing run a fresh copy of the seed corpus, so the checked-in seeds stay as
# they are while the fuzzer adds to its copy.
file(REMOVE_RECURSE "${DESTINATION}")
file(COPY "${SOURCE}/" DESTINATION "${DESTINATION}")
