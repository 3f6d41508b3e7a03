// The game's screens and objects arrive here; the library exists so that the
// executable's entry stays a thin shell over it.
