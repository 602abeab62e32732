"""What the reader reports: a file it cannot read, and data it reads with a caveat."""


class VnxFormatError(ValueError):
    """The file is not a readable .vnx file: its header is cut short or malformed."""


class VnxDataWarning(UserWarning):
    """The samples are read, but the file holds fewer than its header declares, or its
    last scan is incomplete and left out."""


class VnxStimulusError(ValueError):
    """The stimulus recorded with a file cannot be rebuilt from its header: no stimulus was
    recorded, the header does not hold what its kind needs, or its stimulus section is
    malformed."""
