"""The parts of the shipped look: drawing, image sets, file writers, checks and contact sheets."""
