package com.tavimor.lumenwork.util;

/** The natives that the launcher binds when it runs the VM in its own process. */
public final class FileAssociation {
  public static native boolean checkAssociation0(
      String extension, String type, String description, String application);

  public static native void addAssociation0(
      String extension, String type, String description, String application);

  private FileAssociation() {}
}
