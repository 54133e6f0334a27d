"""Companion tools of Zentrava: read what zentrava prints, convert city files, draw."""
