"""What the reader reports: a file it cannot read, and data it reads with a caveat."""


class VnxFormatError(ValueError):
    """The file is not a readable .vnx file: its header is cut short or malformed."""


class VnxDataWarning(UserWarning):
    """The samples are read, but the file holds fewer than its header declares, or its
    last scan is incomplete and left out."""
