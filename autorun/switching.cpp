namespace quillon {}
